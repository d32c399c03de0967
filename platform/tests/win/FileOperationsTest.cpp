#include "platform/FileOperations.h"

#include "platform/win/WindowsApi.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "platform/win/WideText.h"
#include "testsupport/FileBytes.h"
#include "testsupport/TempFolder.h"
#include "platform/tests/FileTestFolder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

using testing::RandomBytes;

const std::string Payload = RandomBytes((std::size_t{5} << 20) + 17);

// A handle opened the way another program opens a file it writes to.
class TOpenForWriting {
public:
  explicit TOpenForWriting(const std::string& APath)
      : FHandle(CreateFileW(win::WidenUtf8(APath).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr)),
        FError(GetLastError()) {}
  ~TOpenForWriting() {
    if (IsOpen()) CloseHandle(FHandle);
  }
  TOpenForWriting(const TOpenForWriting&) = delete;
  TOpenForWriting& operator=(const TOpenForWriting&) = delete;
  [[nodiscard]] bool IsOpen() const { return FHandle != INVALID_HANDLE_VALUE; }
  [[nodiscard]] DWORD Error() const { return FError; }

private:
  HANDLE FHandle;
  DWORD FError;
};

FILETIME ModificationTime(const std::string& APath) {
  WIN32_FILE_ATTRIBUTE_DATA Data{};
  EXPECT_TRUE(GetFileAttributesExW(win::WidenUtf8(APath).c_str(), GetFileExInfoStandard, &Data));
  return Data.ftLastWriteTime;
}

class FileOperations : public testing::TFileTestFolder, public ::testing::Test {
protected:
  TSystemFileOperations FOperations;
};

TEST_F(FileOperations, CopyMakesACopyWithTheOriginalsModificationTimeAndReportsProgress) {
  Write("client.fdb", Payload);
  FILETIME Old{};
  Old.dwHighDateTime = 0x01D00000;  // in 2014: surely not now
  {
    HANDLE File = CreateFileW(win::WidenUtf8(PathOf("client.fdb")).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(File, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(File, nullptr, nullptr, &Old));
    CloseHandle(File);
  }
  std::vector<std::uint64_t> Copied;

  const TFileResult Result = FOperations.CopyFileNoReplace(
      PathOf("client.fdb"), PathOf("backup.tmp"), [&](std::uint64_t ACopied, std::uint64_t ATotal) {
        EXPECT_EQ(ATotal, Payload.size());
        Copied.push_back(ACopied);
      });

  EXPECT_TRUE(Result.Succeeded()) << Result.Error;
  EXPECT_TRUE(Read("backup.tmp") == Payload);
  EXPECT_TRUE(Read("client.fdb") == Payload);
  EXPECT_THAT(Files(), UnorderedElementsAre("client.fdb", "backup.tmp")) << "no temporary file is left";
  const FILETIME Kept = ModificationTime(PathOf("backup.tmp"));
  EXPECT_EQ(Kept.dwHighDateTime, Old.dwHighDateTime);
  EXPECT_EQ(Kept.dwLowDateTime, Old.dwLowDateTime);
  ASSERT_GT(Copied.size(), 1U) << "progress after each slice";
  EXPECT_TRUE(std::is_sorted(Copied.begin(), Copied.end()));
  EXPECT_EQ(Copied.back(), Payload.size());
}

TEST_F(FileOperations, CopyNeverReplacesATakenNameAndLeavesNothingBehindOnFailure) {
  Write("client.fdb", Payload);
  Write("backup.tmp", "older backup");
  const TFileResult Taken = FOperations.CopyFileNoReplace(PathOf("client.fdb"), PathOf("backup.tmp"), {});
  EXPECT_FALSE(Taken.Done);
  EXPECT_EQ(Taken.Error, ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Read("backup.tmp"), "older backup");
  ASSERT_TRUE(FOperations.DeleteFile(PathOf("backup.tmp")).Succeeded());

  int Slices = 0;
  const auto FailInSecondSlice = [&](std::uint64_t, std::uint64_t) {
    if (++Slices == 2) {
      throw std::runtime_error("stopped in the middle");
    }
  };
  EXPECT_THROW((void)FOperations.CopyFileNoReplace(PathOf("client.fdb"), PathOf("backup.tmp"), FailInSecondSlice),
               std::runtime_error);
  EXPECT_THAT(Files(), ElementsAre("client.fdb"));

  const TFileResult Missing = FOperations.CopyFileNoReplace(PathOf("missing.fdb"), PathOf("backup.tmp"), {});
  EXPECT_EQ(Missing.Error, ERROR_FILE_NOT_FOUND);
  const TFileResult NoFolder = FOperations.CopyFileNoReplace(PathOf("client.fdb"), PathOf("no\\backup.tmp"), {});
  EXPECT_FALSE(NoFolder.Done);
  EXPECT_EQ(NoFolder.Error, ERROR_PATH_NOT_FOUND);
  EXPECT_THAT(Files(), ElementsAre("client.fdb"));
  EXPECT_TRUE(Read("client.fdb") == Payload);
}

TEST_F(FileOperations, ReplaceDeleteAndWriteReportWhetherTheyActed) {
  Write("client.fdb", "half updated");
  Write("backup.tmp", "old contents");
  EXPECT_TRUE(FOperations.ReplaceFile(PathOf("backup.tmp"), PathOf("client.fdb")).Succeeded());
  EXPECT_EQ(Read("client.fdb"), "old contents");
  EXPECT_THAT(Files(), ElementsAre("client.fdb"));
  const TFileResult Missing = FOperations.ReplaceFile(PathOf("backup.tmp"), PathOf("client.fdb"));
  EXPECT_FALSE(Missing.Done);
  EXPECT_EQ(Missing.Error, ERROR_FILE_NOT_FOUND);

  EXPECT_TRUE(FOperations.WriteFileReplacing(PathOf("run.record"), "first, and longer").Succeeded());
  EXPECT_TRUE(FOperations.WriteFileReplacing(PathOf("run.record"), "second").Succeeded());
  EXPECT_EQ(Read("run.record"), "second");
  EXPECT_THAT(Files(), UnorderedElementsAre("client.fdb", "run.record")) << "no temporary file is left";
  const TFileResult NoFolder = FOperations.WriteFileReplacing(PathOf("no\\run.record"), "x");
  EXPECT_FALSE(NoFolder.Done);
  EXPECT_EQ(NoFolder.Error, ERROR_PATH_NOT_FOUND);

  EXPECT_TRUE(FOperations.DeleteFile(PathOf("run.record")).Succeeded());
  const TFileResult Again = FOperations.DeleteFile(PathOf("run.record"));
  EXPECT_FALSE(Again.Done);
  EXPECT_EQ(Again.Error, ERROR_FILE_NOT_FOUND);
}

TEST_F(FileOperations, ReadsOnlySmallRegularFiles) {
  Write("run.record", "twelve bytes");
  EXPECT_EQ(ReadSmallFile(PathOf("run.record"), 12), "twelve bytes");
  EXPECT_EQ(ReadSmallFile(PathOf("run.record"), 11), std::nullopt);
  EXPECT_EQ(ReadSmallFile(PathOf("missing"), 100), std::nullopt);
  EXPECT_EQ(ReadSmallFile(testsupport::Utf8Of(FFolder.Path()), 100), std::nullopt);
}

// The lock is what a database engine's open file is: it shares reading, never writing.
TEST_F(FileOperations, LockFailsWhileAnotherHasTheFileOpenForWriting) {
  Write("client.fdb", "database");
  int Error = 0;
  {
    const TOpenForWriting Engine(PathOf("client.fdb"));
    ASSERT_TRUE(Engine.IsOpen()) << Engine.Error();
    EXPECT_EQ(FOperations.LockExclusive(PathOf("client.fdb"), Error), nullptr);
    EXPECT_EQ(Error, ERROR_SHARING_VIOLATION);
  }
  auto Lock = FOperations.LockExclusive(PathOf("client.fdb"), Error);
  ASSERT_NE(Lock, nullptr);
  EXPECT_EQ(Error, 0);
  {
    const TOpenForWriting Engine(PathOf("client.fdb"));
    EXPECT_FALSE(Engine.IsOpen()) << "the lock is held while the object lives";
    EXPECT_EQ(Engine.Error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  }
  EXPECT_EQ(ReadSmallFile(PathOf("client.fdb"), 100), "database") << "readers are welcome";
  Lock.reset();
  EXPECT_TRUE(TOpenForWriting(PathOf("client.fdb")).IsOpen());
}

TEST(SplitPath, CutsAtTheLastSeparatorOfEitherKindOrADriveColon) {
  const struct {
    const char* Path;
    const char* Folder;
    const char* FileName;
  } Cases[] = {
      {"C:\\data\\base\\client.fdb", "C:\\data\\base\\", "client.fdb"},
      {"C:/data/base/client.fdb", "C:/data/base/", "client.fdb"},
      {"C:client.fdb", "C:", "client.fdb"},
      {"\\\\server\\share\\client.fdb", "\\\\server\\share\\", "client.fdb"},
      {"client.fdb", "", "client.fdb"},
  };
  for (const auto& Case : Cases) {
    const TPathParts Parts = SplitPath(Case.Path);
    EXPECT_EQ(Parts.Folder, Case.Folder) << Case.Path;
    EXPECT_EQ(Parts.FileName, Case.FileName) << Case.Path;
  }
}

}  // namespace
}  // namespace platform
