#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/tests/UpdateRunFixture.h"
#include "package/EmbeddedResources.h"
#include "package/UpdatePackage.h"

namespace app {
namespace {

using namespace testing::messages;

// The version of the database that make-demo-db makes.
const package::TEBDataVaseVersion DemoVersion{1, 2, 1};

std::string VersionText(const package::TEBDataVaseVersion& AVersion) {
  return std::to_string(AVersion.MajorVersion) + "." + std::to_string(AVersion.MinorVersion) + "." +
         std::to_string(AVersion.BuildVersion);
}

class PackageDryRun : public testing::UpdateRun {
protected:
  // A copy of the reference database, or a fresh demo database when none is given: the run
  // changes the file it is pointed at.
  std::string MakeReferenceCopy(const package::TUpdatePackage& APackage) {
    const std::filesystem::path Reference = DBUPDATE_REFERENCE_DATABASE;
    if (Reference.empty()) {
      if (APackage.FFromBDVer != DemoVersion) {
        ADD_FAILURE() << "The package updates version " << VersionText(APackage.FFromBDVer)
                      << " and the demo database is of version " << VersionText(DemoVersion)
                      << ": configure with -DDBUPDATE_REFERENCE_DATABASE=<a database of version "
                      << VersionText(APackage.FFromBDVer) << ">";
        return {};
      }
      return testsupport::MakeDemoDatabase(FFolder);
    }
    const std::string Copy = FFolder.File("reference.fdb");
    std::filesystem::copy_file(Reference, Copy);
    std::filesystem::permissions(Copy, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    return Copy;
  }
};

// Every block has to go through without a parse or execute error, in order, and the run has to
// end complete; the backup is kept so that the completion line is the log's last.
TEST_F(PackageDryRun, EveryBlockRunsOnTheReferenceDatabase) {
  package::TUpdatePackage Package;
  ASSERT_TRUE(package::LoadUpdateInfo(package::EmbeddedResources(), Package));
  const std::string File = MakeReferenceCopy(Package);
  ASSERT_FALSE(File.empty());

  RunUpdate(File, {TModalResult::No});

  std::vector<std::string> Expected{SBackupCreated, "Подключение к базе данных " + File + "...", SConnected};
  for (std::size_t Block = 0; Block < Package.FScriptBlock.size(); ++Block) {
    Expected.push_back("Выполнение блока обновления " + std::to_string(Block));
  }
  Expected.push_back(SUpdateDone);
  // Told as plain text: the log is what a package author reads to find the failing statement.
  const std::vector<std::string> Log = Messages();
  std::string LogText;
  for (const std::string& Line : Log) {
    if (Line.starts_with("Parse error ") || Line.starts_with("Execute error ")) {
      ADD_FAILURE() << Line;
    }
    LogText += Line + "\n";
  }
  EXPECT_TRUE(Log == Expected) << "The run's log:\n" << LogText;
  EXPECT_TRUE(FWizard->UpdateComplete());
}

}  // namespace
}  // namespace app
