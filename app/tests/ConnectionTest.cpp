#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/tests/MemoryResources.h"
#include "app/tests/WizardFixture.h"
#include "db/IBCreate.h"
#include "testsupport/FaultyClientLibrary.h"

namespace app {
namespace {

using ::testing::ElementsAre;

const std::string SConnecting = "Подключение к базе данных ";
const std::string SConnected = "Подготовка к обновлению и проверка базы данных завершена";
const std::string SUnknownStructure = "Ошибка: Неизвестная структура базы данных";
const std::string SServiceDataError = "Ошибка: Ошибка чтения служебных данных";
const std::string SUnsupportedVersion = "Ошибка: Неподдерживаемая версия базы данных";

class Connection : public testing::TWizardFixture {
protected:
  void SetUp() override { StartWizard(); }
};

TEST_F(Connection, AClientDatabaseOfTheRightVersionPassesAndStaysOpen) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  EXPECT_TRUE(FWizard->DataBaseConnect(File));
  EXPECT_TRUE(FWizard->Database().Connected());
  EXPECT_THAT(Messages(), ElementsAre(SConnecting + File + "...", SConnected));
  EXPECT_TRUE(FScreen.Boxes.empty());
  EXPECT_EQ(FWizard->ReadDBVer(), (package::TEBDataVaseVersion{1, 2, 1}));

  FScreen.Log.clear();
  EXPECT_FALSE(FWizard->DataBaseConnect(File)) << "already open";
  EXPECT_TRUE(FScreen.Log.empty());
  FWizard->DataBaseDisconnect();
  EXPECT_FALSE(FWizard->Database().Connected());
}

TEST_F(Connection, OldDialectDatabaseOpensWithoutAWord) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder, "dialect1.fdb", 1);
  EXPECT_TRUE(FWizard->DataBaseConnect(File));
  EXPECT_TRUE(FScreen.Boxes.empty());
  EXPECT_EQ(FWizard->Database().SQLDialect(), 1);
}

struct TBentDatabase {
  const char* Name;
  std::vector<std::string> Statements;
  std::string Refusal;  // empty: the database passes
};

void PrintTo(const TBentDatabase& ACase, std::ostream* AStream) { *AStream << ACase.Name; }

class BentDatabase : public Connection, public ::testing::WithParamInterface<TBentDatabase> {};

TEST_P(BentDatabase, IsRefusedWithTheFirstFailingCheckAndClosed) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  for (const std::string& Statement : GetParam().Statements) {
    testsupport::ExecuteSql(File, Statement);
  }
  const bool Connected = FWizard->DataBaseConnect(File);
  if (GetParam().Refusal.empty()) {
    EXPECT_TRUE(Connected);
    EXPECT_THAT(Messages(), ElementsAre(SConnecting + File + "...", SConnected));
  } else {
    EXPECT_FALSE(Connected);
    EXPECT_FALSE(FWizard->Database().Connected());
    EXPECT_THAT(Messages(), ElementsAre(SConnecting + File + "...", GetParam().Refusal));
  }
  EXPECT_TRUE(FScreen.Boxes.empty());
}

const std::string RecreateSysVarAsChar =
    "RECREATE TABLE SYS_VAR (ID INTEGER, S_PARAM CHAR(20), V_INTEGER INTEGER, V_FLOAT DOUBLE PRECISION, "
    "V_STRING VARCHAR(255), V_TIMESTAMP TIMESTAMP)";

INSTANTIATE_TEST_SUITE_P(
    Checks, BentDatabase,
    ::testing::Values(
        TBentDatabase{"ExtraTable", {"CREATE TABLE T_EXTRA (ID INTEGER)"}, SUnknownStructure},
        TBentDatabase{"MissingTable", {"DROP TABLE T_FAVORITES"}, SUnknownStructure},
        TBentDatabase{"OneSwappedForAnother", {"DROP TABLE T_FAVORITES", "CREATE TABLE T_FAVORITE (ID INTEGER)"},
                      SUnknownStructure},
        TBentDatabase{"NoDbid", {"DELETE FROM SYS_VAR WHERE S_PARAM = 'DBID'"}, SServiceDataError},
        TBentDatabase{"NoBuildVersion", {"DELETE FROM SYS_VAR WHERE S_PARAM = 'BUILDVERSION'"}, SServiceDataError},
        TBentDatabase{"MixedCaseName", {"UPDATE SYS_VAR SET S_PARAM = 'MajorVersion' WHERE S_PARAM = 'MAJORVERSION'"}, ""},
        TBentDatabase{"NameWithTrailingBlank",
                      {"UPDATE SYS_VAR SET S_PARAM = 'MAJORVERSION ' WHERE S_PARAM = 'MAJORVERSION'"}, SServiceDataError},
        TBentDatabase{"FixedLengthNames",
                      {RecreateSysVarAsChar,
                       "INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER) SELECT 1, 'DBID', 7 FROM RDB$DATABASE",
                       "INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER) SELECT 2, 'MAJORVERSION', 1 FROM RDB$DATABASE",
                       "INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER) SELECT 3, 'MINORVERSION', 2 FROM RDB$DATABASE",
                       "INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER) SELECT 4, 'BUILDVERSION', 1 FROM RDB$DATABASE"},
                      SServiceDataError},
        TBentDatabase{"OtherVersion", {"UPDATE SYS_VAR SET V_INTEGER = 3 WHERE S_PARAM = 'MINORVERSION'"},
                      SUnsupportedVersion},
        TBentDatabase{"VersionInLow16Bits", {"UPDATE SYS_VAR SET V_INTEGER = 65537 WHERE S_PARAM = 'MAJORVERSION'"}, ""},
        TBentDatabase{"LaterRowWins",
                      {"INSERT INTO SYS_VAR (ID, S_PARAM, V_INTEGER) VALUES (99, 'minorversion', 9)"},
                      SUnsupportedVersion}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(Connection, NullVersionIsReadAsZero) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  testsupport::ExecuteSql(File, "UPDATE SYS_VAR SET V_INTEGER = NULL WHERE S_PARAM = 'MAJORVERSION'");
  EXPECT_FALSE(FWizard->DataBaseConnect(File));
  EXPECT_EQ(FWizard->ReadDBVer(), (package::TEBDataVaseVersion{0, 2, 1}));
}

TEST_F(Connection, UnreadableServiceTableShowsTheErrorInAnApplicationBox) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  testsupport::ExecuteSql(File, "ALTER TABLE SYS_VAR DROP V_FLOAT");
  EXPECT_FALSE(FWizard->DataBaseConnect(File));
  ASSERT_EQ(FScreen.Boxes.size(), 1U);
  EXPECT_EQ(FScreen.Boxes[0].Caption, "EIBInterBaseError");
  EXPECT_NE(FScreen.Boxes[0].Text.find("V_FLOAT"), std::string::npos) << FScreen.Boxes[0].Text;
  EXPECT_EQ(FScreen.Boxes[0].Owner, TMessageOwner::Application);
  EXPECT_THAT(Messages(), ElementsAre(SConnecting + File + "...", SServiceDataError));
  EXPECT_FALSE(FWizard->Database().Connected());
}

TEST_F(Connection, AFileThatIsNoDatabaseShowsTheEngineErrorInABoxWithoutOwner) {
  const std::string File = FFolder.File("notes.fdb");
  std::ofstream(testsupport::PathOf(File)) << "These are not the pages of a database.\n";
  EXPECT_FALSE(FWizard->DataBaseConnect(File));
  ASSERT_EQ(FScreen.Boxes.size(), 1U);
  const TMessageBox& Box = FScreen.Boxes[0];
  EXPECT_EQ(Box.Caption, "EIBInterBaseError");
  EXPECT_EQ(Box.Owner, TMessageOwner::None);
  EXPECT_EQ(Box.Icon, TMessageIcon::Error);
  EXPECT_FALSE(Box.Text.empty());
  EXPECT_NE(Box.Text.back(), '.');
  EXPECT_THAT(Messages(), ElementsAre(SConnecting + File + "..."));
}

// Closing the database: an error of the detach shows in a box without an owner and the
// connection counts as closed; a transaction left open whose commit fails is rolled back
// without a word.
TEST_F(Connection, CloseErrorsAreShownOrSwallowedAsTheComponentsDo) {
  const std::string File = testsupport::MakeDemoDatabase(FFolder);
  FClientLibrary = testsupport::FaultyClientLibrary(testsupport::TClientCall::DetachDatabase, 1,
                                                    testsupport::TClientFailure::After);
  StartWizard();
  ASSERT_TRUE(FWizard->DataBaseConnect(File));
  FWizard->DataBaseDisconnect();
  EXPECT_FALSE(FWizard->Database().Connected());
  ASSERT_EQ(FScreen.Boxes.size(), 1U);
  EXPECT_EQ(FScreen.Boxes[0].Caption, "EIBInterBaseError");
  EXPECT_EQ(FScreen.Boxes[0].Text, "lock conflict on no wait transaction");
  EXPECT_EQ(FScreen.Boxes[0].Owner, TMessageOwner::None);

  FClientLibrary = testsupport::FaultyClientLibrary(testsupport::TClientCall::CommitTransaction, 3,
                                                    testsupport::TClientFailure::Before);
  StartWizard();
  ASSERT_TRUE(FWizard->DataBaseConnect(File));  // commits twice: the table list, the service table
  db::TIBTransaction Open(FWizard->Database());
  Open.StartTransaction();
  {
    db::TIBQuery Change(FWizard->Database(), Open);
    Change.SetSQL("UPDATE T_PROJECT SET S_CATEGORY = 'never committed'");
    Change.ExecSQL();
  }
  FWizard->DataBaseDisconnect();
  EXPECT_FALSE(FWizard->Database().Connected());
  EXPECT_FALSE(Open.InTransaction());
  EXPECT_TRUE(FScreen.Boxes.empty());
  FClientLibrary.reset();
  EXPECT_THAT(testsupport::QueryColumn(File, "SELECT COUNT(*) AS N FROM T_PROJECT WHERE S_CATEGORY = 'never committed'",
                                       "N"),
              ElementsAre("0"));
}

TEST_F(Connection, MissingFilesAndFoldersAreRefusedBeforeOpening) {
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {FFolder.File("missing.fdb"), "Ошибка: Файл базы данных не найден"},
      {testsupport::Utf8Of(FFolder.Path()), "Ошибка: Файл базы данных не найден"},
      {FFolder.File("no-such-folder/client.fdb"), "Ошибка: Файл базы данных не может быть изменен"},
  };
  for (const auto& [File, Refusal] : Cases) {
    FScreen.Log.clear();
    EXPECT_FALSE(FWizard->DataBaseConnect(File)) << File;
    EXPECT_THAT(Messages(), ElementsAre(SConnecting + File + "...", Refusal));
  }
  EXPECT_TRUE(FScreen.Boxes.empty());
}

// A verification list that names a table twice checks only that the count matches and that
// each named table is there.
TEST_F(Connection, TableNamedTwiceInThePackagePassesWhenTheCountMatches) {
  const std::string Descriptor =
      "[FromKvornInfo]\r\nMajorVersion=1\r\nMinorVersion=2\r\nBuildVersion=1\r\n"
      "[ToKvornInfo]\r\nMajorVersion=1\r\nMinorVersion=2\r\nBuildVersion=1\r\n"
      "[FromDBVerif]\r\ntablescount=3\r\nt0=sys_var\r\nt1=SYS_VAR\r\nt2=T_PROJECT\r\n";
  const testing::TMemoryResources Package(Descriptor, "SELECT 1 FROM RDB$DATABASE;");
  StartWizard(Package);
  const std::string File = FFolder.File("small.fdb");
  db::CreateDatabase(testsupport::ClientLibrary(), File);
  for (const char* Statement :
       {"CREATE TABLE SYS_VAR (ID INTEGER, S_PARAM VARCHAR(64), V_INTEGER INTEGER, V_FLOAT DOUBLE PRECISION, "
        "V_STRING VARCHAR(255), V_TIMESTAMP TIMESTAMP)",
        "CREATE TABLE T_PROJECT (ID INTEGER)", "CREATE TABLE T_OTHER (ID INTEGER)",
        "INSERT INTO SYS_VAR (S_PARAM, V_INTEGER) VALUES ('DBID', 1)",
        "INSERT INTO SYS_VAR (S_PARAM, V_INTEGER) VALUES ('MAJORVERSION', 1)",
        "INSERT INTO SYS_VAR (S_PARAM, V_INTEGER) VALUES ('MINORVERSION', 2)",
        "INSERT INTO SYS_VAR (S_PARAM, V_INTEGER) VALUES ('BUILDVERSION', 1)"}) {
    testsupport::ExecuteSql(File, Statement);
  }
  EXPECT_TRUE(FWizard->DataBaseConnect(File));
}

}  // namespace
}  // namespace app
