#pragma once

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "testsupport/ForwardingFileOperations.h"

namespace app::testing {

// Whether an injected fault strikes before the operation touches anything, or after it acted
// (as a flush that fails after a rename, link or delete went through).
enum class TFailWhen { Before, After };

// The real file operations, of which the N-th call fails with EIO; it remembers which calls
// came, in order.
class TFailingFileOperations final : public testsupport::TForwardingFileOperations {
public:
  TFailingFileOperations(int AFailingCall, TFailWhen AWhen) : FFailingCall(AFailingCall), FWhen(AWhen) {}

  std::vector<std::string> Calls;

  std::unique_ptr<platform::TFileLock> LockExclusive(const std::string& APath, int& AError) override {
    const auto Result = Act("LockExclusive", [&] {
      auto Lock = TForwardingFileOperations::LockExclusive(APath, AError);
      FLock = std::move(Lock);
      return platform::TFileResult{FLock != nullptr, AError};
    });
    AError = Result.Error;
    return Result.Error == 0 ? std::move(FLock) : nullptr;
  }
  platform::TFileResult CopyFileNoReplace(const std::string& AFrom, const std::string& ATo,
                                          const platform::TCopyProgress& AProgress) override {
    return Act("CopyFileNoReplace", [&] { return TForwardingFileOperations::CopyFileNoReplace(AFrom, ATo, AProgress); });
  }
  platform::TFileResult ReplaceFile(const std::string& AFrom, const std::string& ATo) override {
    return Act("ReplaceFile", [&] { return TForwardingFileOperations::ReplaceFile(AFrom, ATo); });
  }
  platform::TFileResult DeleteFile(const std::string& APath) override {
    return Act("DeleteFile", [&] { return TForwardingFileOperations::DeleteFile(APath); });
  }
  platform::TFileResult WriteFileReplacing(const std::string& APath, std::string_view AContents) override {
    return Act("WriteFileReplacing", [&] { return TForwardingFileOperations::WriteFileReplacing(APath, AContents); });
  }

private:
  template <typename TCall>
  platform::TFileResult Act(const char* AName, TCall ARealCall) {
    Calls.emplace_back(AName);
    if (static_cast<int>(Calls.size()) != FFailingCall) {
      return ARealCall();
    }
    if (FWhen == TFailWhen::Before) {
      return {false, EIO};
    }
    const platform::TFileResult Result = ARealCall();
    FLock.reset();  // a lock that "failed" is not held
    return {Result.Done, EIO};
  }

  int FFailingCall;
  TFailWhen FWhen;
  std::unique_ptr<platform::TFileLock> FLock;
};

}  // namespace app::testing
