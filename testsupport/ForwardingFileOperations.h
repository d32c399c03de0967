#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/FileOperations.h"

namespace testsupport {

// The real file operations, for tests to override the one or two they bend.
class TForwardingFileOperations : public platform::TFileOperations {
public:
  std::unique_ptr<platform::TFileLock> LockExclusive(const std::string& APath, int& AError) override {
    return FReal.LockExclusive(APath, AError);
  }
  platform::TFileResult CopyFileNoReplace(const std::string& AFrom, const std::string& ATo,
                                          const platform::TCopyProgress& AProgress) override {
    return FReal.CopyFileNoReplace(AFrom, ATo, AProgress);
  }
  platform::TFileResult ReplaceFile(const std::string& AFrom, const std::string& ATo) override {
    return FReal.ReplaceFile(AFrom, ATo);
  }
  platform::TFileResult DeleteFile(const std::string& APath) override { return FReal.DeleteFile(APath); }
  platform::TFileResult WriteFileReplacing(const std::string& APath, std::string_view AContents) override {
    return FReal.WriteFileReplacing(APath, AContents);
  }

private:
  platform::TSystemFileOperations FReal;
};

}  // namespace testsupport
