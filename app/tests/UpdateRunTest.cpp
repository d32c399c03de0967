#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "app/RunRecord.h"
#include "app/tests/FailingFileOperations.h"
#include "app/tests/MemoryResources.h"
#include "app/tests/UpdateRunFixture.h"
#include "testsupport/FaultyClientLibrary.h"
#include "testsupport/HeldFile.h"
#include "testsupport/PackagedUpdate.h"

namespace app {
namespace {

// The system's code for a name that is taken.
#ifdef _WIN32
constexpr int SNameTaken = 183;  // ERROR_ALREADY_EXISTS
#else
constexpr int SNameTaken = EEXIST;
#endif

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using testing::UpdateRun;
using TLines = std::vector<::testing::Matcher<std::string>>;

using namespace testing;
using namespace testing::messages;

TEST_F(UpdateRun, PackagedUpdateReordersTheProjectTableAndRenewsTheProcedure) {
  if (!testsupport::EmbedsUpdate121()) GTEST_SKIP() << testsupport::SAboutUpdate121;
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  RunUpdate(File, {TModalResult::Yes});
  EXPECT_TRUE(FWizard->UpdateComplete());
  ASSERT_EQ(FScreen.Boxes.size(), 1U);
  EXPECT_EQ(FScreen.Boxes[0].Text, "Удалить резервную копию базы данных?");
  EXPECT_EQ(FScreen.Boxes[0].Caption, std::nullopt);
  EXPECT_EQ(FScreen.Boxes[0].Icon, TMessageIcon::Question);
  EXPECT_EQ(FScreen.Boxes[0].Buttons, TMessageButtons::YesNo);

  EXPECT_THAT(ProjectColumns(File),
              ElementsAre("ID", "S_NAME", "S_DESCRIPTION", "V_COUNTDEV_SCHEDULED", "V_COUNTDEV_COMPLETE", "S_CATEGORY",
                          "D_BEGIN", "D_END", "F_PROGRESS", "ICONID", "V_FLAG", "C_TIMESTAMP", "U_TIMESTAMP"));
  testsupport::ExecuteSql(File,
                          "EXECUTE PROCEDURE INSERT_PROJECT('Probe', 'd', 1, 2, 'c', '2020-01-01', '2020-02-01', 1, 77, "
                          "0, CURRENT_TIMESTAMP)");
  EXPECT_THAT(testsupport::QueryColumn(File, "SELECT ICONID FROM T_PROJECT WHERE S_NAME = 'Probe'", "ICONID"),
              ElementsAre("77"));

  bool CanClose = false;
  FWizard->FormCloseQuery(CanClose);
  EXPECT_TRUE(CanClose) << "a complete update closes without a question";
}

// What a run starts from.
enum class TStart { Demo, AlreadyUpdated, OtherVersion, BackupNameTaken };
// The database file after the run.
enum class TDatabaseAfter {
  SameBytes,   // never opened: byte for byte the file from before the run
  Updated,     // the packaged update is in it
  NotUpdated,  // opened for the checks, but the update is not in it
};
enum class TBackupAfter { Absent, OldBytes, Foreign };

struct TRunCase {
  const char* Name;
  TStart Start;
  const char* Script;  // none: the packaged update
  std::vector<TModalResult> Answers;
  std::function<TLines(const std::string& AFile)> Log;
  bool Complete;
  TDatabaseAfter Database;
  TBackupAfter Backup;
};

void PrintTo(const TRunCase& ACase, std::ostream* AStream) { *AStream << ACase.Name; }

TLines Connecting(const std::string& AFile) { return {SBackupCreated, "Подключение к базе данных " + AFile + "..."}; }

TLines Joined(std::initializer_list<TLines> AParts) {
  TLines All;
  for (const TLines& Part : AParts) {
    All.insert(All.end(), Part.begin(), Part.end());
  }
  return All;
}

TLines BlockLines(int AFrom, int ATo) {
  TLines Lines;
  for (int Block = AFrom; Block < ATo; ++Block) {
    Lines.emplace_back("Выполнение блока обновления " + std::to_string(Block));
  }
  return Lines;
}

const std::string DashBlock = "-- the new column\r\nALTER TABLE T_PROJECT ADD ICONID INTEGER;\r\n";

const TRunCase RunCases[] = {
    {"PackagedUpdateDeletingTheBackup", TStart::Demo, nullptr, {TModalResult::Yes},
     [](const std::string& AFile) {
       return Joined({Connecting(AFile), {SConnected}, BlockLines(0, 15), {SUpdateDone, SBackupDeleted}});
     },
     true, TDatabaseAfter::Updated, TBackupAfter::Absent},
    {"PackagedUpdateKeepingTheBackup", TStart::Demo, nullptr, {TModalResult::No},
     [](const std::string& AFile) { return Joined({Connecting(AFile), {SConnected}, BlockLines(0, 15), {SUpdateDone}}); },
     true, TDatabaseAfter::Updated, TBackupAfter::OldBytes},
    {"SecondRunFailsOnTheExistingColumnAndRestores", TStart::AlreadyUpdated, nullptr, {},
     [](const std::string& AFile) {
       return Joined({Connecting(AFile),
                      {SConnected},
                      BlockLines(0, 1),
                      {AllOf(StartsWith("Execute error "), HasSubstr("ICONID"),
                             EndsWith(" in SQL text ALTER TABLE T_PROJECT\r\nADD ICONID INTEGER"))},
                      BlockLines(1, 15),
                      {SUpdateFailed, SRestored}});
     },
     false, TDatabaseAfter::SameBytes, TBackupAfter::Absent},
    {"OtherVersionIsRefusedButCountsAsComplete", TStart::OtherVersion, nullptr, {TModalResult::Yes},
     [](const std::string& AFile) { return Joined({Connecting(AFile), {SUnsupportedVersion, SBackupDeleted}}); },
     true, TDatabaseAfter::NotUpdated, TBackupAfter::Absent},
    {"TakenBackupNameStopsTheRun", TStart::BackupNameTaken, nullptr, {},
     [](const std::string&) { return TLines{SAccessError + std::to_string(SNameTaken)}; },
     false, TDatabaseAfter::SameBytes, TBackupAfter::Foreign},
    {"BlockStartingWithADashLineIsAParseError", TStart::Demo, DashBlock.c_str(), {},
     [](const std::string& AFile) {
       return Joined({Connecting(AFile),
                      {SConnected},
                      BlockLines(0, 1),
                      {"Parse error Invalid statement in SQL text -- the new column\r\n"
                       "ALTER TABLE T_PROJECT ADD ICONID INTEGER",
                       SUpdateFailed, SRestored}});
     },
     false, TDatabaseAfter::SameBytes, TBackupAfter::Absent},
};

class Runs : public UpdateRun, public ::testing::WithParamInterface<TRunCase> {
protected:
  std::string Prepare(TStart AStart) {
    switch (AStart) {
      case TStart::AlreadyUpdated:
        return MakeUpdatedDatabase();
      case TStart::OtherVersion: {
        const std::string File = testsupport::MakeDemoDatabase(FFolder);
        testsupport::ExecuteSql(File, "UPDATE SYS_VAR SET V_INTEGER = 3 WHERE S_PARAM = 'MINORVERSION'");
        return File;
      }
      case TStart::BackupNameTaken:
        std::ofstream(testsupport::PathOf(BackupPath())) << "an earlier backup";
        return testsupport::MakeDemoDatabase(FFolder);
      case TStart::Demo:
        break;
    }
    return testsupport::MakeDemoDatabase(FFolder);
  }
};

TEST_P(Runs, LogResultAndFilesAreThoseOfTheOutcome) {
  const TRunCase& Case = GetParam();
  // The packaged script's blocks and its column are in the expected log and database.
  const bool RunsThePackagedScript =
      Case.Script == nullptr && (Case.Start == TStart::Demo || Case.Start == TStart::AlreadyUpdated);
  if (RunsThePackagedScript && !testsupport::EmbedsUpdate121()) GTEST_SKIP() << testsupport::SAboutUpdate121;
  const std::string File = Prepare(Case.Start);
  const std::string Before = ReadBytes(File);
  const testing::TMemoryResources Scripted(EmbeddedDescriptor(), Case.Script != nullptr ? Case.Script : "");
  RunUpdate(File, Case.Answers, Case.Script != nullptr ? Scripted : package::EmbeddedResources());

  EXPECT_THAT(Messages(), ElementsAreArray(Case.Log(File)));
  EXPECT_EQ(FWizard->UpdateComplete(), Case.Complete);
  EXPECT_EQ(FScreen.CancelCaption, Case.Complete ? "Закрыть" : "Отмена");
  EXPECT_FALSE(FScreen.ProgressVisible);
  switch (Case.Database) {
    case TDatabaseAfter::SameBytes:
      EXPECT_TRUE(HoldsBytes(File, Before));
      break;
    case TDatabaseAfter::Updated:
      EXPECT_THAT(ProjectColumns(File), Contains("ICONID"));
      break;
    case TDatabaseAfter::NotUpdated:
      EXPECT_THAT(ProjectColumns(File), Not(Contains("ICONID")));
      break;
  }
  std::vector<std::string> Files = {"demo.fdb"};
  if (Case.Backup != TBackupAfter::Absent) {
    Files.push_back(RunBackupName);
  }
  EXPECT_EQ(FilesIn(FFolder.Path()), Files);
  if (Case.Backup == TBackupAfter::OldBytes) {
    EXPECT_TRUE(HoldsBytes(BackupPath(), Before));
  } else if (Case.Backup == TBackupAfter::Foreign) {
    EXPECT_EQ(ReadBytes(BackupPath()), "an earlier backup");
  }
}

INSTANTIATE_TEST_SUITE_P(UpdateRun, Runs, ::testing::ValuesIn(RunCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// The other program is the engine's command-line tool on Linux. On Windows, where it is not
// here, a handle opened the way an engine opens its database stands in for it.
TEST_F(UpdateRun, DatabaseOpenInAnotherProgramIsNeitherCopiedNorChanged) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
#ifdef _WIN32
  const std::string Before = ReadBytes(File);
  {
    const testsupport::THeldFile Engine(File);
    RunUpdate(File);
  }
  const std::string After = ReadBytes(File);
  const int Refusal = testsupport::THeldFile::RefusalCode;
#else
  const testsupport::TTempFolder OutputFolder;
  const std::string Output = OutputFolder.File("isql.out");
  FILE* OtherProgram = ::popen(("isql-fb -q -user SYSDBA '" + File + "' > '" + Output + "' 2>&1").c_str(), "w");
  ASSERT_NE(OtherProgram, nullptr);
  // Once it has answered, the other program sits attached and idle.
  std::fputs("SELECT 'attached' FROM RDB$DATABASE;\n", OtherProgram);
  std::fflush(OtherProgram);
  ASSERT_TRUE(WaitForText(Output, "attached")) << ReadBytes(Output);
  ASSERT_TRUE(WaitUntilLocked(File));
  const std::string Before = ReadBytes(File);

  RunUpdate(File);
  const std::string After = ReadBytes(File);
  std::fputs("QUIT;\n", OtherProgram);
  ::pclose(OtherProgram);
  const int Refusal = EWOULDBLOCK;
#endif

  EXPECT_THAT(Messages(), ElementsAre(SAccessError + std::to_string(Refusal)));
  EXPECT_FALSE(FWizard->UpdateComplete());
  EXPECT_TRUE(FScreen.Boxes.empty());
  EXPECT_TRUE(After == Before);
  EXPECT_EQ(FilesIn(FFolder.Path()), std::vector<std::string>{"demo.fdb"});
}

TEST_F(UpdateRun, DebugBoxShowsOnlyWhenAnExceptionReachesTheRun) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  testsupport::ExecuteSql(File, "UPDATE T_PROJECT SET S_CATEGORY = 'same'");
  const std::string Before = ReadBytes(File);
  // The engine builds an index only when its transaction commits: here the run's own commit
  // after the block fails, which is no error of a statement.
  const std::string Block = "SET AUTODDL OFF;\r\nCREATE UNIQUE INDEX IX_CATEGORY ON T_PROJECT (S_CATEGORY);\r\n";
  const testing::TMemoryResources Package(EmbeddedDescriptor(), Block);
  RunUpdate(File, {}, Package, {"-debug"});
  ASSERT_EQ(FScreen.Boxes.size(), 2U);
  EXPECT_EQ(FScreen.Boxes[0].Caption, "Debug Mode Error");
  EXPECT_EQ(FScreen.Boxes[0].Text, Block);
  EXPECT_EQ(FScreen.Boxes[1].Caption, "EIBInterBaseError");
  EXPECT_THAT(FScreen.Boxes[1].Text, HasSubstr("IX_CATEGORY"));
  EXPECT_FALSE(FWizard->UpdateComplete()) << "a run cut short by an exception never counts as complete";
  EXPECT_THAT(Messages(), Contains(SRestored));
  EXPECT_TRUE(HoldsBytes(File, Before));

  // An ordinary SQL error reaches the run only through the event: no debug box.
  const testing::TMemoryResources Failing(EmbeddedDescriptor(), "ALTER TABLE T_NO_SUCH_TABLE ADD X INTEGER;\r\n");
  RunUpdate(File, {}, Failing, {"-debug"});
  EXPECT_TRUE(FScreen.Boxes.empty());
  EXPECT_THAT(Messages(), Contains(SUpdateFailed));
}

// An engine error that escapes the checks (reading the table list, or starting the transaction
// that reads the service table) is no answer of the database's: the run shows it, closes the
// database, puts the backup back and fails.
TEST_F(UpdateRun, ExceptionOutOfTheChecksFailsTheRunAndRestores) {
  for (const int FailingStart : {1, 2}) {
    SCOPED_TRACE(FailingStart == 1 ? "table list" : "service table");
    const testsupport::TTempFolder Folder;
    const std::string File = testsupport::MakeDemoDatabase(Folder);
    const std::string Before = ReadBytes(File);
    FClientLibrary = testsupport::FaultyClientLibrary(testsupport::TClientCall::StartTransaction, FailingStart,
                                                      testsupport::TClientFailure::Before);
    RunUpdate(File);
    EXPECT_THAT(Messages(), ElementsAre(SBackupCreated, "Подключение к базе данных " + File + "...", SRestored));
    ASSERT_EQ(FScreen.Boxes.size(), 1U);
    EXPECT_EQ(FScreen.Boxes[0].Text, "lock conflict on no wait transaction.");
    EXPECT_EQ(FScreen.Boxes[0].Caption, "dbupdate");
    EXPECT_EQ(FScreen.Boxes[0].Owner, TMessageOwner::Application);
    EXPECT_FALSE(FWizard->Database().Connected());
    EXPECT_FALSE(FWizard->UpdateComplete());
    EXPECT_TRUE(HoldsBytes(File, Before));
    EXPECT_EQ(FilesIn(Folder.Path()), std::vector<std::string>{"demo.fdb"});
    FWizard.reset();
    FClientLibrary.reset();
  }
}

TEST_F(UpdateRun, ClosingTheWindowDuringTheRunWaitsForItsEnd) {
  const std::string File = FFolder.File("notes.fdb");
  std::ofstream(testsupport::PathOf(File)) << "not a database";
  bool ClosedDuringRun = true;
  FScreen.OnBox = [&](const TMessageBox& ABox) {
    if (ABox.Owner == TMessageOwner::None) {  // the window is usable while this box is open
      FWizard->FormCloseQuery(ClosedDuringRun);
    }
  };
  RunUpdate(File, {TModalResult::Yes, TModalResult::Ok, TModalResult::No});
  EXPECT_FALSE(ClosedDuringRun);
  EXPECT_THAT(FScreen.Boxes.back().Text, "Удалить резервную копию базы данных?");
  EXPECT_EQ(FScreen.CloseRequests, 1) << "the window closes once the run is over";
  bool CanClose = false;
  FWizard->FormCloseQuery(CanClose);
  EXPECT_TRUE(CanClose);
}

// The window turns its events during the copy and between statements; what the user does
// meanwhile (Next again, closing) neither starts a second run nor cuts this one short.
TEST_F(UpdateRun, WindowStaysAliveThroughTheRunAndNothingReenters) {
  if (!testsupport::EmbedsUpdate121()) GTEST_SKIP() << testsupport::SAboutUpdate121;
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  int DuringCopy = 0;
  bool UserActed = false;
  bool Closed = true;
  FScreen.OnProcessMessages = [&] {
    if (FScreen.ProgressVisible) {
      ++DuringCopy;
    } else if (FScreen.Log.size() == 5 && !UserActed) {  // the second block has begun
      UserActed = true;
      FWizard->Next_ButtonClick();
      FWizard->FormCloseQuery(Closed);
    }
  };
  RunUpdate(File, {TModalResult::Yes, TModalResult::Yes});

  EXPECT_GE(DuringCopy, 1);
  ASSERT_FALSE(FScreen.Progress.empty());
  EXPECT_EQ(FScreen.Progress.back().first, FScreen.Progress.back().second);
  EXPECT_GT(FScreen.MessagesProcessed, 15 * 2) << "every block has more than one statement";
  EXPECT_FALSE(Closed);
  EXPECT_EQ(FScreen.CloseRequests, 1);
  EXPECT_EQ(std::count(FScreen.Log.begin(), FScreen.Log.end(), FScreen.Log.front()), 1) << "one run";
  EXPECT_TRUE(FWizard->UpdateComplete());
  EXPECT_THAT(Messages(), Contains(SBackupDeleted));
}

}  // namespace
}  // namespace app
