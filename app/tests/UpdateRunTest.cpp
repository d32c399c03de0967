#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/tests/MemoryResources.h"
#include "app/tests/WizardFixture.h"
#include "testsupport/FileBytes.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string SBackupCreated = "Резервная копия базы данных успешно создана";
const std::string SConnected = "Подготовка к обновлению и проверка базы данных завершена";
const std::string SUpdateDone = "Обновление базы данных завершено";
const std::string SUpdateFailed = "Обновление базы данных завершено с ошибками";
const std::string SRestored = "Файл базы данных восстановлен";
const std::string SBackupDeleted = "Резервная копия базы данных удалена";
const std::string SBackupKept = "Резервная копия базы данных сохранена в файле ";
const std::string SAccessError = "Ошибка при доступе к файлу базы данных. Код ошибки ";
const platform::TLocalDateTime RunMoment{2014, 7, 5, 8, 3, 9, 0};
const std::string RunBackupName = "kvorn_201475_839.tmp";

std::string EmbeddedDescriptor() {
  const auto Bytes = package::EmbeddedResources().FindResource(package::DescriptorResourceType,
                                                               package::DescriptorResourceId);
  return {Bytes->begin(), Bytes->end()};
}

std::string ReadBytes(const std::string& AFile) { return testsupport::ReadFileBytes(AFile); }

// Compared as a flag: a failure must not print a whole database file.
bool HoldsBytes(const std::string& AFile, const std::string& ABytes) { return ReadBytes(AFile) == ABytes; }

std::vector<std::string> FilesIn(const fs::path& AFolder) {
  std::vector<std::string> Names;
  for (const auto& Entry : fs::directory_iterator(AFolder)) {
    Names.push_back(Entry.path().filename().string());
  }
  std::sort(Names.begin(), Names.end());
  return Names;
}

std::vector<std::string> Trimmed(std::vector<std::string> ANames) {
  for (auto& Name : ANames) {
    Name.erase(Name.find_last_not_of(' ') + 1);
  }
  return ANames;
}

class UpdateRun : public testing::TWizardFixture {
protected:
  void SetUp() override { FClock = [] { return RunMoment; }; }

  // Walks the wizard to the selection page, chooses AFile and presses Next.
  void RunUpdate(const std::string& AFile, std::vector<TModalResult> AAnswers = {TModalResult::Yes},
                 const package::TResourceSource& APackage = package::EmbeddedResources(),
                 std::vector<std::string> AArguments = {}) {
    StartWizard(APackage, std::move(AArguments));
    FScreen.DialogAnswers = {AFile};
    FScreen.BoxAnswers.assign(AAnswers.begin(), AAnswers.end());
    FWizard->Next_ButtonClick();
    FWizard->SelectDB_ButtonEditPropertiesButtonClick(0);
    FWizard->RunHandler([this] { FWizard->Next_ButtonClick(); });
    EXPECT_EQ(FScreen.Page, UpdatePage);
    EXPECT_FALSE(FScreen.NextEnabled);
  }

  std::vector<std::string> BlockLines(int ACount) const {
    std::vector<std::string> Lines;
    for (int Block = 0; Block < ACount; ++Block) {
      Lines.push_back("Выполнение блока обновления " + std::to_string(Block));
    }
    return Lines;
  }

  // A demo database that the packaged update has already been applied to.
  std::string MakeUpdatedDatabase() {
    const std::string File = testsupport::MakeDemoDatabase(FFolder);
    RunUpdate(File);
    EXPECT_TRUE(FWizard->UpdateComplete());
    FWizard.reset();
    return File;
  }

  std::string BackupPath() const { return FFolder.File(RunBackupName); }
};

TEST_F(UpdateRun, PackagedUpdateReordersTheProjectTableAndRenewsTheProcedure) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  RunUpdate(File, {TModalResult::Yes});

  std::vector<std::string> Expected = {SBackupCreated, "Подключение к базе данных " + File + "...", SConnected};
  const auto Blocks = BlockLines(15);
  Expected.insert(Expected.end(), Blocks.begin(), Blocks.end());
  Expected.push_back(SUpdateDone);
  Expected.push_back(SBackupDeleted);
  EXPECT_THAT(Messages(), ElementsAreArray(Expected));
  EXPECT_TRUE(FWizard->UpdateComplete());
  EXPECT_EQ(FScreen.CancelCaption, "Закрыть");
  ASSERT_EQ(FScreen.Boxes.size(), 1U);
  EXPECT_EQ(FScreen.Boxes[0].Text, "Удалить резервную копию базы данных?");
  EXPECT_EQ(FScreen.Boxes[0].Caption, std::nullopt);
  EXPECT_EQ(FScreen.Boxes[0].Buttons, TMessageButtons::YesNo);
  EXPECT_EQ(FilesIn(FFolder.Path()), std::vector<std::string>{"demo.fdb"});

  EXPECT_THAT(Trimmed(testsupport::QueryColumn(File,
                                               "SELECT RDB$FIELD_NAME FROM RDB$RELATION_FIELDS WHERE "
                                               "RDB$RELATION_NAME = 'T_PROJECT' ORDER BY RDB$FIELD_POSITION",
                                               "RDB$FIELD_NAME")),
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

TEST_F(UpdateRun, AnsweringNoKeepsTheBackupWithTheOldContents) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  const std::string Before = ReadBytes(File);
  RunUpdate(File, {TModalResult::No});
  EXPECT_TRUE(FWizard->UpdateComplete());
  EXPECT_THAT(Messages(), Not(Contains(SBackupDeleted)));
  EXPECT_TRUE(HoldsBytes(BackupPath(), Before));
}

TEST_F(UpdateRun, SecondRunFailsOnTheExistingColumnAndRestoresTheFile) {
  const std::string File = MakeUpdatedDatabase();
  const std::string Before = ReadBytes(File);
  RunUpdate(File);

  const auto Lines = Messages();
  ASSERT_GE(Lines.size(), 6U);
  EXPECT_EQ(Lines[3], "Выполнение блока обновления 0");
  EXPECT_THAT(Lines[4], HasSubstr("Execute error "));
  EXPECT_THAT(Lines[4], HasSubstr("ICONID"));
  EXPECT_THAT(Lines[4], ::testing::EndsWith(" in SQL text ALTER TABLE T_PROJECT\r\nADD ICONID INTEGER"));
  for (const auto& Block : BlockLines(15)) {
    EXPECT_THAT(Lines, Contains(Block));
  }
  EXPECT_THAT(std::vector<std::string>(Lines.end() - 2, Lines.end()), ElementsAre(SUpdateFailed, SRestored));
  EXPECT_FALSE(FWizard->UpdateComplete());
  EXPECT_EQ(FScreen.CancelCaption, "Отмена");
  EXPECT_TRUE(FScreen.Boxes.empty()) << "no question after a failed run";
  EXPECT_TRUE(HoldsBytes(File, Before));
  EXPECT_EQ(FilesIn(FFolder.Path()), std::vector<std::string>{"demo.fdb"});
}

TEST_F(UpdateRun, OtherVersionIsRefusedButTheRunCountsAsComplete) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  testsupport::ExecuteSql(File, "UPDATE SYS_VAR SET V_INTEGER = 3 WHERE S_PARAM = 'MINORVERSION'");
  const std::string Before = ReadBytes(File);
  RunUpdate(File, {TModalResult::Yes});
  EXPECT_THAT(Messages(), ElementsAre(SBackupCreated, "Подключение к базе данных " + File + "...",
                                      "Ошибка: Неподдерживаемая версия базы данных", SBackupDeleted));
  EXPECT_TRUE(FWizard->UpdateComplete());
  EXPECT_EQ(FScreen.CancelCaption, "Закрыть");
}

TEST_F(UpdateRun, TakenBackupNameStopsTheRunAndTouchesNothing) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  std::ofstream(BackupPath()) << "an earlier backup";
  const std::string Before = ReadBytes(File);
  RunUpdate(File);
  EXPECT_THAT(Messages(), ElementsAre(SAccessError + std::to_string(EEXIST)));
  EXPECT_FALSE(FWizard->UpdateComplete());
  EXPECT_TRUE(FScreen.Boxes.empty());
  EXPECT_TRUE(HoldsBytes(File, Before));
  EXPECT_EQ(ReadBytes(BackupPath()), "an earlier backup");
}

TEST_F(UpdateRun, DatabaseOpenInAnotherProgramIsNotMoved) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  const std::string Command = "isql-fb -q -user SYSDBA '" + File + "' > /dev/null 2>&1";
  FILE* OtherProgram = ::popen(Command.c_str(), "w");
  ASSERT_NE(OtherProgram, nullptr);
  std::fputs("SELECT COUNT(*) FROM T_PROJECT;\n", OtherProgram);
  std::fflush(OtherProgram);
  for (int Attempt = 0; Attempt < 200 && ReadBytes("/proc/locks").find("FLOCK") == std::string::npos; ++Attempt) {
    ::usleep(50'000);
  }
  ::usleep(500'000);  // the engine takes its lock while it attaches

  RunUpdate(File);
  std::fputs("QUIT;\n", OtherProgram);
  ::pclose(OtherProgram);

  EXPECT_THAT(Messages(), ElementsAre(SAccessError + std::to_string(EWOULDBLOCK)));
  EXPECT_FALSE(FWizard->UpdateComplete());
  EXPECT_EQ(FilesIn(FFolder.Path()), std::vector<std::string>{"demo.fdb"});
}

TEST_F(UpdateRun, BlockStartingWithADashLineIsAParseErrorAndTheFileIsRestored) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  const std::string Before = ReadBytes(File);
  const testing::TMemoryResources Package(
      EmbeddedDescriptor(),
      "-- the new column\r\nALTER TABLE T_PROJECT ADD ICONID INTEGER;\r\n");
  RunUpdate(File, {}, Package);
  EXPECT_THAT(Messages(), Contains("Parse error Invalid statement in SQL text -- the new column\r\n"
                                   "ALTER TABLE T_PROJECT ADD ICONID INTEGER"));
  EXPECT_THAT(Messages(), Contains(SRestored));
  EXPECT_TRUE(HoldsBytes(File, Before));
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

TEST_F(UpdateRun, ClosingTheWindowDuringTheRunWaitsForItsEnd) {
  const std::string File = FFolder.File("notes.fdb");
  std::ofstream(File) << "not a database";
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

// Makes the N-th file operation fail before it touches anything.
class TFailingFileOperations final : public platform::TFileOperations {
public:
  explicit TFailingFileOperations(int AFailingCall) : FFailingCall(AFailingCall) {}
  int Calls = 0;

  std::unique_ptr<platform::TFileLock> LockExclusive(const std::string& APath, int& AError) override {
    if (FailsNow()) {
      AError = EIO;
      return nullptr;
    }
    return FReal.LockExclusive(APath, AError);
  }
  int MoveFileNoReplace(const std::string& AFrom, const std::string& ATo) override {
    return FailsNow() ? EIO : FReal.MoveFileNoReplace(AFrom, ATo);
  }
  int CopyFileReplacing(const std::string& AFrom, const std::string& ATo) override {
    return FailsNow() ? EIO : FReal.CopyFileReplacing(AFrom, ATo);
  }
  int DeleteFile(const std::string& APath) override { return FailsNow() ? EIO : FReal.DeleteFile(APath); }

private:
  bool FailsNow() { return ++Calls == FFailingCall; }
  int FFailingCall;
  platform::TPosixFileOperations FReal;
};

struct TFaultScenario {
  const char* Name;
  bool AlreadyUpdated;  // the script fails, so the run restores the backup
  int Operations;       // file operations of the run when none fails
};

void PrintTo(const TFaultScenario& AScenario, std::ostream* AStream) { *AStream << AScenario.Name; }

class FileFault : public UpdateRun, public ::testing::WithParamInterface<TFaultScenario> {};

TEST_P(FileFault, OldContentsSurviveUnderTheDatabaseNameOrInTheNamedBackup) {
  const std::string File = GetParam().AlreadyUpdated ? MakeUpdatedDatabase() : testsupport::MakeDemoDatabase(FFolder);
  const std::string Before = ReadBytes(File);
  const auto CountingOnly = std::make_shared<TFailingFileOperations>(0);
  FFileOperations = CountingOnly;
  RunUpdate(File);
  EXPECT_EQ(CountingOnly->Calls, GetParam().Operations);

  for (int Failing = 1; Failing <= GetParam().Operations; ++Failing) {
    SCOPED_TRACE("failing operation " + std::to_string(Failing));
    fs::remove_all(FFolder.Path());
    fs::create_directory(FFolder.Path());
    testsupport::WriteFileBytes(File, Before);
    FFileOperations = std::make_shared<TFailingFileOperations>(Failing);
    RunUpdate(File);

    const auto Lines = Messages();
    if (FWizard->UpdateComplete()) {
      continue;  // the update went through; only the deletion of the backup failed
    }
    EXPECT_THAT(Lines, Contains(SAccessError + std::to_string(EIO)));
    const auto Kept = std::find_if(Lines.begin(), Lines.end(),
                                   [](const std::string& ALine) { return ALine.starts_with(SBackupKept); });
    if (Kept == Lines.end()) {
      EXPECT_TRUE(HoldsBytes(File, Before));
    } else {
      EXPECT_TRUE(HoldsBytes(Kept->substr(SBackupKept.size()), Before));
    }
    for (const auto& Name : FilesIn(FFolder.Path())) {
      EXPECT_TRUE(Name == "demo.fdb" || Name == RunBackupName) << "left behind: " << Name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, FileFault,
                         ::testing::Values(TFaultScenario{"GoodRunDeletingTheBackup", false, 4},
                                           TFaultScenario{"FailedRunRestoring", true, 5}),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
}  // namespace app
