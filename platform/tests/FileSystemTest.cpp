#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace platform {
namespace {

TEST(FileSystem, ADirectoryIsNoFileAndAMissingFolderIsNoVolume) {
  const auto Temp = std::filesystem::temp_directory_path().string();
  EXPECT_FALSE(FileExists(Temp));
  EXPECT_FALSE(FileExists(Temp + "/no-such-file.fdb"));
  EXPECT_TRUE(FileExists("/etc/hostname") || FileExists("/etc/passwd"));
  EXPECT_EQ(GetDriveKind("/no-such-folder/client.fdb"), TDriveKind::NoRootDir);
  EXPECT_EQ(GetDriveKind("/etc/passwd"), TDriveKind::Fixed);
  EXPECT_EQ(GetDriveKind("/dev/shm/client.fdb"), TDriveKind::RamDisk);
}

}  // namespace
}  // namespace platform
