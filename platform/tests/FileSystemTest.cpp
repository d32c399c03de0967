#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "testsupport/FileBytes.h"
#include "testsupport/TempFolder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// The file system type the mount table gives for the volume that holds APath: an account of
// the volume independent of the one under test.
std::string MountedTypeOf(const fs::path& APath) {
  const std::string Path = fs::weakly_canonical(APath).string();
  std::ifstream Mounts("/proc/self/mounts");
  std::string Best;
  std::string Type;
  for (std::string Line; std::getline(Mounts, Line);) {
    std::istringstream Fields(Line);
    std::string Device, MountPoint, MountType;
    Fields >> Device >> MountPoint >> MountType;
    const bool Holds = Path == MountPoint || Path.starts_with(MountPoint == "/" ? MountPoint : MountPoint + "/");
    if (Holds && MountPoint.size() >= Best.size()) {
      Best = MountPoint;
      Type = MountType;
    }
  }
  return Type;
}

TEST(FileSystem, ADirectoryIsNoFileAndAMissingFolderIsNoVolume) {
  const testsupport::TTempFolder Folder;
  testsupport::WriteFileBytes(Folder.File("client.fdb"), "x");
  EXPECT_TRUE(FileExists(Folder.File("client.fdb")));
  EXPECT_FALSE(FileExists(Folder.Path().string()));
  EXPECT_FALSE(FileExists(Folder.File("no-such-file.fdb")));
  EXPECT_EQ(GetDriveKind(Folder.File("no-such-folder/client.fdb")), TDriveKind::NoRootDir);
}

// Checked where this machine has such volumes; said so where it has not.
TEST(FileSystem, ADiskVolumeIsFixed) {
  const testsupport::TTempFolder Folder;
  const std::string Type = MountedTypeOf(Folder.Path());
  if (Type != "ext4" && Type != "xfs" && Type != "btrfs") {
    GTEST_SKIP() << "the temporary folder is on " << Type << ", not on a disk file system";
  }
  EXPECT_EQ(GetDriveKind(Folder.File("client.fdb")), TDriveKind::Fixed) << Type;
}

TEST(FileSystem, AMemoryVolumeIsARamDisk) {
  if (MountedTypeOf("/dev/shm") != "tmpfs") {
    GTEST_SKIP() << "no tmpfs at /dev/shm on this machine";
  }
  EXPECT_EQ(GetDriveKind("/dev/shm/client.fdb"), TDriveKind::RamDisk);
}

}  // namespace
}  // namespace platform
