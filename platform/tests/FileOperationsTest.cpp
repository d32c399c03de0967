#include "platform/FileOperations.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "testsupport/FileBytes.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class FileOperations : public ::testing::Test {
protected:
  void SetUp() override {
    std::string Template = (fs::temp_directory_path() / "fileops-XXXXXX").string();
    ASSERT_NE(::mkdtemp(Template.data()), nullptr);
    FFolder = Template;
  }
  void TearDown() override { fs::remove_all(FFolder); }

  std::string PathOf(const std::string& AName) const { return (FFolder / AName).string(); }
  void Write(const std::string& AName, const std::string& ABytes) const {
    std::ofstream(PathOf(AName), std::ios::binary) << ABytes;
  }
  std::string Read(const std::string& AName) const { return testsupport::ReadFileBytes(PathOf(AName)); }
  size_t FileCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(FFolder), {})); }

  fs::path FFolder;
  TPosixFileOperations FOperations;
};

TEST_F(FileOperations, MoveNeverReplacesAnExistingFile) {
  Write("client.fdb", "database");
  Write("backup.tmp", "older backup");
  EXPECT_EQ(FOperations.MoveFileNoReplace(PathOf("client.fdb"), PathOf("backup.tmp")), EEXIST);
  EXPECT_EQ(Read("client.fdb"), "database");
  EXPECT_EQ(Read("backup.tmp"), "older backup");

  EXPECT_EQ(FOperations.MoveFileNoReplace(PathOf("client.fdb"), PathOf("new.tmp")), 0);
  EXPECT_EQ(Read("new.tmp"), "database");
  EXPECT_FALSE(fs::exists(PathOf("client.fdb")));
  EXPECT_EQ(FOperations.MoveFileNoReplace(PathOf("client.fdb"), PathOf("x.tmp")), ENOENT);
}

TEST_F(FileOperations, CopyReplacesTheTargetAndKeepsThePermissionBits) {
  const std::string Contents(3 * 1024 * 1024 + 17, 'x');
  Write("backup.tmp", Contents);
  Write("client.fdb", "stale");
  ASSERT_EQ(::chmod(PathOf("backup.tmp").c_str(), 0640), 0);

  ASSERT_EQ(FOperations.CopyFileReplacing(PathOf("backup.tmp"), PathOf("client.fdb")), 0);
  EXPECT_EQ(Read("client.fdb"), Contents);
  struct stat Info {};
  ASSERT_EQ(::stat(PathOf("client.fdb").c_str(), &Info), 0);
  EXPECT_EQ(Info.st_mode & 07777, 0640U);
  EXPECT_EQ(FileCount(), 2U) << "no temporary file is left";
}

TEST_F(FileOperations, FailedCopyLeavesNothingBehind) {
  EXPECT_EQ(FOperations.CopyFileReplacing(PathOf("missing.tmp"), PathOf("client.fdb")), ENOENT);
  EXPECT_EQ(FOperations.CopyFileReplacing(PathOf("missing.tmp"), PathOf("no-such-folder/client.fdb")), ENOENT);
  Write("backup.tmp", "b");
  EXPECT_NE(FOperations.CopyFileReplacing(PathOf("backup.tmp"), PathOf("no-such-folder/client.fdb")), 0);
  EXPECT_EQ(FileCount(), 1U);
}

TEST_F(FileOperations, LockFailsWhileAnotherOpenFileHoldsIt) {
  Write("client.fdb", "database");
  int Error = 0;
  {
    const int Holder = ::open(PathOf("client.fdb").c_str(), O_RDONLY);
    ASSERT_GE(Holder, 0);
    ASSERT_EQ(::flock(Holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(FOperations.LockExclusive(PathOf("client.fdb"), Error), nullptr);
    EXPECT_EQ(Error, EWOULDBLOCK);
    ::close(Holder);
  }
  auto Lock = FOperations.LockExclusive(PathOf("client.fdb"), Error);
  ASSERT_NE(Lock, nullptr);
  EXPECT_EQ(Error, 0);
  const int Other = ::open(PathOf("client.fdb").c_str(), O_RDONLY);
  EXPECT_NE(::flock(Other, LOCK_EX | LOCK_NB), 0) << "the lock is held while the object lives";
  Lock.reset();
  EXPECT_EQ(::flock(Other, LOCK_EX | LOCK_NB), 0);
  ::close(Other);
}

TEST_F(FileOperations, DeleteReportsTheSystemError) {
  Write("a.tmp", "a");
  EXPECT_EQ(FOperations.DeleteFile(PathOf("a.tmp")), 0);
  EXPECT_EQ(FOperations.DeleteFile(PathOf("a.tmp")), ENOENT);
}

TEST(SplitPath, CutsAtTheLastSeparator) {
  EXPECT_EQ(SplitPath("/data/base/client.fdb").Folder, "/data/base/");
  EXPECT_EQ(SplitPath("/data/base/client.fdb").FileName, "client.fdb");
  EXPECT_EQ(SplitPath("client.fdb").Folder, "");
  EXPECT_EQ(SplitPath("/client.fdb").Folder, "/");
}

}  // namespace
}  // namespace platform
