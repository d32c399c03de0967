#include "platform/FileOperations.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <random>
#include <stdexcept>

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

// The copy goes through an unnamed file where the file system offers one, else through a
// temporary name: both ways must keep the same promises.
struct TCopyWay {
  const char* Name;
  bool UseUnnamedTemporary;
};

class CopyFile : public testing::TFileTestFolder, public ::testing::TestWithParam<TCopyWay> {
protected:
  TSystemFileOperations FOperations{TSystemFileOperations::TOptions{GetParam().UseUnnamedTemporary}};
};

TEST_P(CopyFile, MakesAFlushedCopyWithTheOriginalsModeAndTimesAndReportsProgress) {
  Write("client.fdb", Payload);
  ASSERT_EQ(::chmod(PathOf("client.fdb").c_str(), 0640), 0);
  const struct timespec Times[2] = {{1'000'000'000, 5}, {1'200'000'000, 7}};
  ASSERT_EQ(::utimensat(AT_FDCWD, PathOf("client.fdb").c_str(), Times, 0), 0);
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
  struct stat Info {};
  ASSERT_EQ(::stat(PathOf("backup.tmp").c_str(), &Info), 0);
  EXPECT_EQ(Info.st_mode & 07777, 0640U);
  EXPECT_EQ(Info.st_mtim.tv_sec, Times[1].tv_sec);
  EXPECT_EQ(Info.st_mtim.tv_nsec, Times[1].tv_nsec);
  ASSERT_FALSE(Copied.empty());
  EXPECT_TRUE(std::is_sorted(Copied.begin(), Copied.end()));
  EXPECT_EQ(Copied.back(), Payload.size());
}

TEST_P(CopyFile, NeverReplacesATakenName) {
  Write("client.fdb", "database");
  Write("backup.tmp", "older backup");
  const TFileResult Result = FOperations.CopyFileNoReplace(PathOf("client.fdb"), PathOf("backup.tmp"), {});
  EXPECT_FALSE(Result.Done);
  EXPECT_EQ(Result.Error, EEXIST);
  EXPECT_EQ(Read("client.fdb"), "database");
  EXPECT_EQ(Read("backup.tmp"), "older backup");
  EXPECT_THAT(Files(), UnorderedElementsAre("client.fdb", "backup.tmp"));
}

// A failure in the middle of the copy leaves no partial file, under the target's name or any
// other.
TEST_P(CopyFile, FailureInTheMiddleLeavesNothingBehind) {
  Write("client.fdb", Payload);
  {
    // The file-size limit stops the copy's writes after the first slices.
    const auto OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit OldLimit {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &OldLimit), 0);
    struct rlimit Limit = OldLimit;
    Limit.rlim_cur = 3 << 20;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &Limit), 0);
    const TFileResult Result = FOperations.CopyFileNoReplace(PathOf("client.fdb"), PathOf("backup.tmp"), {});
    ::setrlimit(RLIMIT_FSIZE, &OldLimit);
    std::signal(SIGXFSZ, OldHandler);
    EXPECT_FALSE(Result.Done);
    EXPECT_EQ(Result.Error, EFBIG);
    EXPECT_THAT(Files(), ElementsAre("client.fdb"));
  }
  {
    int Slices = 0;
    const auto FailInSecondSlice = [&](std::uint64_t, std::uint64_t) {
      if (++Slices == 2) {
        throw std::runtime_error("stopped in the middle");
      }
    };
    EXPECT_THROW((void)FOperations.CopyFileNoReplace(PathOf("client.fdb"), PathOf("backup.tmp"), FailInSecondSlice),
                 std::runtime_error);
    EXPECT_THAT(Files(), ElementsAre("client.fdb"));
  }
  const TFileResult Missing = FOperations.CopyFileNoReplace(PathOf("missing.fdb"), PathOf("backup.tmp"), {});
  EXPECT_EQ(Missing.Error, ENOENT);
  const TFileResult NoFolder = FOperations.CopyFileNoReplace(PathOf("client.fdb"), PathOf("no/backup.tmp"), {});
  EXPECT_FALSE(NoFolder.Done);
  EXPECT_NE(NoFolder.Error, 0);
  EXPECT_THAT(Files(), ElementsAre("client.fdb"));
  EXPECT_TRUE(Read("client.fdb") == Payload);
}

INSTANTIATE_TEST_SUITE_P(Ways, CopyFile,
                         ::testing::Values(TCopyWay{"UnnamedFile", true}, TCopyWay{"TemporaryName", false}),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

class FileOperations : public testing::TFileTestFolder, public ::testing::Test {
protected:
  TSystemFileOperations FOperations;
};

TEST_F(FileOperations, ReplaceSwapsTheTargetForTheSourceInOneStep) {
  Write("client.fdb", "half updated");
  Write("backup.tmp", "old contents");
  struct stat Backup {};
  ASSERT_EQ(::stat(PathOf("backup.tmp").c_str(), &Backup), 0);
  EXPECT_TRUE(FOperations.ReplaceFile(PathOf("backup.tmp"), PathOf("client.fdb")).Succeeded());
  EXPECT_EQ(Read("client.fdb"), "old contents");
  EXPECT_THAT(Files(), ElementsAre("client.fdb"));
  struct stat Info {};
  ASSERT_EQ(::stat(PathOf("client.fdb").c_str(), &Info), 0);
  EXPECT_EQ(Info.st_ino, Backup.st_ino) << "a rename, not a copy";

  const TFileResult Missing = FOperations.ReplaceFile(PathOf("backup.tmp"), PathOf("client.fdb"));
  EXPECT_FALSE(Missing.Done);
  EXPECT_EQ(Missing.Error, ENOENT);
  EXPECT_EQ(Read("client.fdb"), "old contents");
}

TEST_F(FileOperations, WriteReplacesTheWholeFileAndLeavesNoTemporary) {
  EXPECT_TRUE(FOperations.WriteFileReplacing(PathOf("run.record"), "first, and longer").Succeeded());
  EXPECT_TRUE(FOperations.WriteFileReplacing(PathOf("run.record"), "second").Succeeded());
  EXPECT_EQ(Read("run.record"), "second");
  EXPECT_THAT(Files(), ElementsAre("run.record"));
  const TFileResult NoFolder = FOperations.WriteFileReplacing(PathOf("no/run.record"), "x");
  EXPECT_FALSE(NoFolder.Done);
  EXPECT_EQ(NoFolder.Error, ENOENT);
}

TEST_F(FileOperations, DeleteReportsWhetherItActed) {
  Write("a.tmp", "a");
  EXPECT_TRUE(FOperations.DeleteFile(PathOf("a.tmp")).Succeeded());
  const TFileResult Again = FOperations.DeleteFile(PathOf("a.tmp"));
  EXPECT_FALSE(Again.Done);
  EXPECT_EQ(Again.Error, ENOENT);
}

TEST_F(FileOperations, ReadsOnlySmallRegularFiles) {
  Write("run.record", "twelve bytes");
  EXPECT_EQ(ReadSmallFile(PathOf("run.record"), 12), "twelve bytes");
  EXPECT_EQ(ReadSmallFile(PathOf("run.record"), 11), std::nullopt);
  EXPECT_EQ(ReadSmallFile(PathOf("missing"), 100), std::nullopt);
  EXPECT_EQ(ReadSmallFile(FFolder.Path().string(), 100), std::nullopt);
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

TEST(SplitPath, CutsAtTheLastSeparator) {
  EXPECT_EQ(SplitPath("/data/base/client.fdb").Folder, "/data/base/");
  EXPECT_EQ(SplitPath("/data/base/client.fdb").FileName, "client.fdb");
  EXPECT_EQ(SplitPath("client.fdb").Folder, "");
  EXPECT_EQ(SplitPath("/client.fdb").Folder, "/");
}

}  // namespace
}  // namespace platform
