// The update run killed at its risky moments, on a database of a few hundred MB: a complete
// database always stands under its name, nothing half-written is left behind, and the next
// start of the wizard brings the old bytes back where the run had begun changing them.
#include <spawn.h>
#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "app/RunRecord.h"
#include "app/tests/UpdateRunFixture.h"
#include "testsupport/PackagedUpdate.h"

extern char** environ;

namespace app {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using namespace testing::messages;
using ::testing::Contains;
using ::testing::ElementsAreArray;

constexpr int BulkProjects = 25'000;  // about 4 kB of text each

// Rows of text the engine cannot squeeze, so that the file is as large as its data.
void GrowDatabase(const std::string& AFile) {
  testsupport::ExecuteSql(AFile, "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " +
                                     std::to_string(BulkProjects) +
                                     ") DO BEGIN INSERT INTO T_PROJECT (ID, S_NAME, S_DESCRIPTION) VALUES "
                                     "(GEN_ID(gen_t_project_id, 1), 'Bulk', LPAD('', 4000, "
                                     "UUID_TO_CHAR(GEN_UUID()))); I = I + 1; END END");
}

// The exit of the child that ran the update to APoint.
int RunChild(const std::string& ADatabase, const std::string& APoint) {
  const std::string Program = UPDATE_CRASH_CHILD;
  std::vector<char*> Arguments = {const_cast<char*>(Program.c_str()), const_cast<char*>(ADatabase.c_str()),
                                  const_cast<char*>(APoint.c_str()), nullptr};
  pid_t Child = 0;
  if (::posix_spawn(&Child, Program.c_str(), nullptr, nullptr, Arguments.data(), environ) != 0) {
    return -1;
  }
  int Status = 0;
  ::waitpid(Child, &Status, 0);
  return Status;
}

struct TKillCase {
  const char* Point;
  bool OnUpdatedDatabase;  // the script then fails and the run restores the backup
  bool DatabaseChanged;    // the killed run had begun changing the database
  std::vector<std::string> FilesLeft;
  bool OfferedAtNextStart;
};

void PrintTo(const TKillCase& ACase, std::ostream* AStream) { *AStream << ACase.Point; }

const std::string SRecord = "demo.fdb.update-in-progress";

const TKillCase KillCases[] = {
    {"copy", false, false, {"demo.fdb"}, false},
    // A complete backup without a record is like one the user kept.
    {"backup-named", false, false, {"demo.fdb", "kvorn_201475_839.tmp"}, false},
    {"block", false, true, {"demo.fdb", SRecord, "kvorn_201475_839.tmp"}, true},
    {"restore-before", true, true, {"demo.fdb", SRecord, "kvorn_201475_839.tmp"}, true},
    {"restore-after", true, false, {"demo.fdb", SRecord}, false},
};

class Killed : public UpdateRun, public ::testing::WithParamInterface<TKillCase> {
protected:
  static void SetUpTestSuite() {
    FFixtures = std::make_unique<testsupport::TTempFolder>();
    const std::string Grown = testsupport::MakeDemoDatabase(*FFixtures, "grown.fdb");
    GrowDatabase(Grown);
    FGrownBytes = ReadBytes(Grown);
  }
  static void TearDownTestSuite() {
    FFixtures.reset();
    FGrownBytes.clear();
    FUpdatedBytes.clear();
  }

  // The grown database, or the grown database with the update already in it.
  std::string PlaceDatabase(bool AUpdated) {
    const std::string File = FFolder.File("demo.fdb");
    if (AUpdated && FUpdatedBytes.empty()) {
      testsupport::WriteFileBytes(File, FGrownBytes);
      RunUpdate(File, {TModalResult::Yes});
      EXPECT_TRUE(FWizard->UpdateComplete());
      FWizard.reset();
      FUpdatedBytes = ReadBytes(File);
    }
    testsupport::WriteFileBytes(File, AUpdated ? FUpdatedBytes : FGrownBytes);
    return File;
  }

  static std::unique_ptr<testsupport::TTempFolder> FFixtures;
  static std::string FGrownBytes;
  static std::string FUpdatedBytes;
};

std::unique_ptr<testsupport::TTempFolder> Killed::FFixtures;
std::string Killed::FGrownBytes;
std::string Killed::FUpdatedBytes;

TEST_P(Killed, DatabaseStandsUnderItsNameAndTheNextStartRestoresIt) {
  const TKillCase& Case = GetParam();
  // The child kills itself in block 3 of the update 1.2.1, and it is that update which fails
  // on a database it has already updated.
  if ((std::string(Case.Point) == "block" || Case.OnUpdatedDatabase) && !testsupport::EmbedsUpdate121()) {
    GTEST_SKIP() << testsupport::SAboutUpdate121;
  }
  const std::string File = PlaceDatabase(Case.OnUpdatedDatabase);
  const std::string Before = ReadBytes(File);
  ASSERT_GT(Before.size(), std::size_t{100} << 20);

  const int Status = RunChild(File, Case.Point);
  ASSERT_TRUE(WIFSIGNALED(Status) && WTERMSIG(Status) == SIGKILL) << "status " << Status;

  auto Expected = Case.FilesLeft;
  std::sort(Expected.begin(), Expected.end());
  EXPECT_EQ(FilesIn(FFolder.Path()), Expected) << "nothing half-written is left";
  EXPECT_EQ(HoldsBytes(File, Before), !Case.DatabaseChanged);
  if (fs::exists(BackupPath())) {
    EXPECT_TRUE(HoldsBytes(BackupPath(), Before));
  }

  StartWizard();
  FScreen.DialogAnswers = {File};
  FWizard->Next_ButtonClick();
  FWizard->SelectDB_ButtonEditPropertiesButtonClick(0);
  const bool Asked = std::any_of(FScreen.Boxes.begin(), FScreen.Boxes.end(),
                                 [](const TMessageBox& ABox) { return ABox.Icon == TMessageIcon::Question; });
  EXPECT_EQ(Asked, Case.OfferedAtNextStart);
  EXPECT_TRUE(HoldsBytes(File, Before)) << "the old bytes, byte for byte";
  EXPECT_FALSE(fs::exists(RunRecordFile(File)));
  EXPECT_THAT(ProjectColumns(File), Contains("S_DESCRIPTION")) << "a database the engine opens";
}

INSTANTIATE_TEST_SUITE_P(AtEachPoint, Killed, ::testing::ValuesIn(KillCases), [](const auto& AInfo) {
  std::string Name = AInfo.param.Point;
  std::replace(Name.begin(), Name.end(), '-', '_');
  return Name;
});

}  // namespace
}  // namespace app
