// Every file operation of a run made to fail, before it acts and after it acted: whatever the
// outcome, the database's old contents survive under its name or in a backup that the log and
// the run's record name, and the next start of the wizard puts things right.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/RunRecord.h"
#include "app/tests/FailingFileOperations.h"
#include "app/tests/UpdateRunFixture.h"
#include "testsupport/PackagedUpdate.h"

namespace app {
namespace {

using ::testing::Contains;
using ::testing::ElementsAreArray;
using testing::TFailingFileOperations;
using testing::TFailWhen;
using testing::UpdateRun;
using namespace testing;
using namespace testing::messages;

enum class TScenario {
  GoodRun,    // the packaged update on a demo database; the backup deleted at the end
  FailedRun,  // the packaged update once more: the script fails and the backup goes back
};
enum class TDatabaseAfter { OldBytes, Updated, Changed };

struct TFaultCase {
  TScenario Scenario;
  int Call;
  const char* Operation;  // which call that is, for the reader
  TFailWhen When;
  bool Complete;
  TDatabaseAfter Database;
  bool BackupLeft;  // with the database's bytes from before the run
  bool RecordLeft;
  bool FaultLogged;
};

std::string CaseName(const TFaultCase& ACase) {
  return std::string(ACase.Scenario == TScenario::GoodRun ? "GoodRun" : "FailedRun") + "Call" +
         std::to_string(ACase.Call) + ACase.Operation + (ACase.When == TFailWhen::Before ? "Before" : "After");
}

void PrintTo(const TFaultCase& ACase, std::ostream* AStream) { *AStream << CaseName(ACase); }

constexpr auto Good = TScenario::GoodRun;
constexpr auto Failed = TScenario::FailedRun;
constexpr auto Before = TFailWhen::Before;
constexpr auto After = TFailWhen::After;
constexpr auto Old = TDatabaseAfter::OldBytes;
constexpr auto Updated = TDatabaseAfter::Updated;
constexpr auto Changed = TDatabaseAfter::Changed;

const std::vector<std::string> GoodRunCalls = {"LockExclusive", "CopyFileNoReplace", "WriteFileReplacing",
                                               "DeleteFile", "DeleteFile"};
const std::vector<std::string> FailedRunCalls = {"LockExclusive", "CopyFileNoReplace", "WriteFileReplacing",
                                                 "ReplaceFile", "DeleteFile"};

const TFaultCase FaultCases[] = {
    // scenario, call, operation, when: complete, database, backup left, record left, fault logged
    {Good, 1, "Lock", Before, false, Old, false, false, true},
    {Good, 1, "Lock", After, false, Old, false, false, true},
    {Good, 2, "CopyToBackup", Before, false, Old, false, false, true},
    {Good, 2, "CopyToBackup", After, false, Old, true, false, true},
    {Good, 3, "WriteRecord", Before, false, Old, true, false, true},
    {Good, 3, "WriteRecord", After, false, Old, true, false, true},
    {Good, 4, "DeleteRecord", Before, true, Updated, false, true, true},
    {Good, 4, "DeleteRecord", After, true, Updated, false, false, true},
    // A backup that could not be deleted is simply kept, as the user would have it on No.
    {Good, 5, "DeleteBackup", Before, true, Updated, true, false, false},
    {Good, 5, "DeleteBackup", After, true, Updated, false, false, true},
    {Failed, 1, "Lock", Before, false, Old, false, false, true},
    {Failed, 1, "Lock", After, false, Old, false, false, true},
    {Failed, 2, "CopyToBackup", Before, false, Old, false, false, true},
    {Failed, 2, "CopyToBackup", After, false, Old, true, false, true},
    {Failed, 3, "WriteRecord", Before, false, Old, true, false, true},
    {Failed, 3, "WriteRecord", After, false, Old, true, false, true},
    // The half-updated database stays; the record lets the next start put the backup back.
    {Failed, 4, "Restore", Before, false, Changed, true, true, true},
    {Failed, 4, "Restore", After, false, Old, false, false, true},
    {Failed, 5, "DeleteRecord", Before, false, Old, false, true, true},
    {Failed, 5, "DeleteRecord", After, false, Old, false, false, true},
};

class FileFault : public testing::UpdateRun, public ::testing::WithParamInterface<TFaultCase> {
protected:
  std::string RecordPath() const { return RunRecordFile(FFolder.File("demo.fdb")); }
};

TEST_P(FileFault, OldContentsSurviveAndTheNextStartPutsThingsRight) {
  const TFaultCase& Case = GetParam();
  // A good run to its end adds the column ICONID; a failed one is the update 1.2.1 run a second
  // time.
  if ((Case.Scenario == TScenario::FailedRun || Case.Database == TDatabaseAfter::Updated) &&
      !testsupport::EmbedsUpdate121()) {
    GTEST_SKIP() << testsupport::SAboutUpdate121;
  }
  const std::string File =
      Case.Scenario == TScenario::GoodRun ? testsupport::MakeDemoDatabase(FFolder) : MakeUpdatedDatabase();
  const std::string BeforeRun = ReadBytes(File);
  const auto Files = std::make_shared<TFailingFileOperations>(Case.Call, Case.When);
  FFileOperations = Files;
  RunUpdate(File);

  const auto& Expected = Case.Scenario == TScenario::GoodRun ? GoodRunCalls : FailedRunCalls;
  ASSERT_GE(Files->Calls.size(), static_cast<std::size_t>(Case.Call));
  EXPECT_EQ(Files->Calls[static_cast<std::size_t>(Case.Call - 1)], Expected[static_cast<std::size_t>(Case.Call - 1)]);
  EXPECT_EQ(FWizard->UpdateComplete(), Case.Complete);
  const auto Lines = Messages();
  EXPECT_EQ(std::count(Lines.begin(), Lines.end(), SAccessError + std::to_string(EIO)), Case.FaultLogged ? 1 : 0);
  switch (Case.Database) {
    case TDatabaseAfter::OldBytes:
      EXPECT_TRUE(HoldsBytes(File, BeforeRun));
      break;
    case TDatabaseAfter::Updated:
      EXPECT_THAT(ProjectColumns(File), Contains("ICONID"));
      break;
    case TDatabaseAfter::Changed:
      EXPECT_FALSE(HoldsBytes(File, BeforeRun));
      break;
  }
  std::vector<std::string> Left = {"demo.fdb"};
  if (Case.RecordLeft) {
    Left.push_back("demo.fdb.update-in-progress");
    EXPECT_EQ(ParseRunRecord(ReadBytes(RecordPath())), RunBackupName);
  }
  if (Case.BackupLeft) {
    Left.push_back(RunBackupName);
    EXPECT_TRUE(HoldsBytes(BackupPath(), BeforeRun));
    if (!Case.Complete) {
      EXPECT_THAT(Lines, Contains(SBackupKept + BackupPath())) << "the user learns where the old contents are";
    }
  }
  std::sort(Left.begin(), Left.end());
  EXPECT_EQ(FilesIn(FFolder.Path()), Left);

  // The next start, with the user saying Yes to whatever it asks.
  FFileOperations.reset();
  StartWizard();
  FScreen.DialogAnswers = {File};
  FWizard->Next_ButtonClick();
  FWizard->SelectDB_ButtonEditPropertiesButtonClick(0);
  EXPECT_FALSE(std::filesystem::exists(RecordPath()));
  if (Case.RecordLeft && Case.BackupLeft) {
    EXPECT_TRUE(HoldsBytes(File, BeforeRun)) << "the backup is back under the database's name";
    EXPECT_EQ(FilesIn(FFolder.Path()), std::vector<std::string>{"demo.fdb"});
  } else if (!Case.RecordLeft) {
    EXPECT_TRUE(FScreen.Boxes.empty()) << "nothing to put right, nothing asked";
  }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FileFault, ::testing::ValuesIn(FaultCases),
                         [](const auto& AInfo) { return CaseName(AInfo.param); });

TEST_F(UpdateRun, RunsMakeTheCallsTheFaultTableCounts) {
  for (const bool Fails : {false, true}) {
    const testsupport::TTempFolder Folder;
    const std::string File = testsupport::MakeDemoDatabase(Folder);
    if (Fails) {
      RunUpdate(File);
    }
    const auto Files = std::make_shared<TFailingFileOperations>(0, TFailWhen::Before);
    FFileOperations = Files;
    RunUpdate(File);
    FFileOperations.reset();
    EXPECT_THAT(Files->Calls, ElementsAreArray(Fails ? FailedRunCalls : GoodRunCalls));
  }
}

}  // namespace
}  // namespace app
