#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include "testsupport/FileBytes.h"
#include "testsupport/TempFolder.h"

namespace platform {
namespace {

TEST(FileSystem, ADirectoryIsNoFileAndAMissingFolderIsNoVolume) {
  const testsupport::TTempFolder Folder;
  testsupport::WriteFileBytes(Folder.File("client.fdb"), "x");
  EXPECT_TRUE(FileExists(Folder.File("client.fdb")));
  EXPECT_FALSE(FileExists(testsupport::Utf8Of(Folder.Path())));
  EXPECT_FALSE(FileExists(Folder.File("no-such-file.fdb")));
  EXPECT_FALSE(FileExists(Folder.File("*.fdb"))) << "a wildcard names no file";
  EXPECT_EQ(GetDriveKind(Folder.File("no-such-folder\\client.fdb")), TDriveKind::NoRootDir);
}

// The temporary folder is on the system's own disk, on Windows and under Wine alike.
TEST(FileSystem, TheTemporaryFolderIsOnAFixedDisk) {
  const testsupport::TTempFolder Folder;
  EXPECT_EQ(GetDriveKind(Folder.File("client.fdb")), TDriveKind::Fixed);
}

}  // namespace
}  // namespace platform
