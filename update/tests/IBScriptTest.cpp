#include "update/IBScript.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/EmbeddedResources.h"
#include "package/UpdatePackage.h"
#include "testsupport/FixtureDatabase.h"
#include "testsupport/PackagedUpdate.h"
#include "testsupport/TempFolder.h"

namespace update {
namespace {

using testing::ElementsAre;

struct TReportedError {
  std::string Error;
  std::string SQLText;
  std::size_t LineIndex = 0;

  friend bool operator==(const TReportedError&, const TReportedError&) = default;
  friend void PrintTo(const TReportedError& AError, std::ostream* AStream) {
    *AStream << AError.Error << " @" << AError.LineIndex << " in " << testing::PrintToString(AError.SQLText);
  }
};

// A demo database with the executor bound to its connection and transaction, as the wizard
// binds it; the events are recorded.
class IBScriptTest : public testing::Test {
protected:
  void SetUp() override {
    Database.SetLoginPrompt(false);
    Database.SetDatabaseName(FileName);
    Database.Params().push_back("user_name=SYSDBA");
    Database.Open();
    Script.OnParseError = [this](TIBScript& ASender, const std::string& AError,
                                 const std::string& ASQLText, std::size_t ALineIndex) {
      EXPECT_EQ(&ASender, &Script);
      ParseErrors.push_back({AError, ASQLText, ALineIndex});
    };
    Script.OnExecuteError = [this](TIBScript& ASender, const std::string& AError,
                                   const std::string& ASQLText, std::size_t ALineIndex, bool& AIgnore) {
      EXPECT_EQ(&ASender, &Script);
      EXPECT_FALSE(AIgnore);
      ExecuteErrors.push_back({AError, ASQLText, ALineIndex});
      AIgnore = IgnoreErrors;
    };
  }

  // Runs one block the way the update run does: start, execute, commit.
  void RunBlock(std::string_view AText) {
    Script.SetScriptText(AText);
    Transaction.StartTransaction();
    Script.ExecuteScript();
    Transaction.Commit();
  }

  // Answers from a connection of its own, so only committed work is seen.
  std::string Ask(const std::string& ASQL, const std::string& AField) {
    const std::vector<std::string> Values = testsupport::QueryColumn(FileName, ASQL, AField);
    return Values.empty() ? std::string() : Values.front();
  }

  std::string UnitName(int AId) {
    return Ask("SELECT S_NAME FROM T_UNIT WHERE ID = " + std::to_string(AId), "S_NAME");
  }

  std::string ColumnCount(const std::string& ATable) {
    return Ask("SELECT COUNT(*) AS N FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '" +
                   ATable + "'",
               "N");
  }

  testsupport::TTempFolder Folder;
  std::string FileName = testsupport::MakeDemoDatabase(Folder);
  db::TIBDatabase Database{testsupport::ClientLibrary()};
  db::TIBTransaction Transaction{Database};
  TIBScript Script{Database, Transaction};
  std::vector<TReportedError> ParseErrors;
  std::vector<TReportedError> ExecuteErrors;
  bool IgnoreErrors = false;
};

TEST_F(IBScriptTest, SchemaIsCommittedAtOnceAndDataOnlyWithTheBoundTransaction) {
  Transaction.StartTransaction();
  Script.SetScriptText(
      "INSERT INTO T_UNIT (ID, S_NAME) VALUES (10, 'Volt');\n"
      "ALTER TABLE T_NOTE ADD S_AUTHOR VARCHAR(64);\n");
  Script.ExecuteScript();
  EXPECT_TRUE(Transaction.InTransaction());
  EXPECT_EQ(ColumnCount("T_NOTE"), "4");
  EXPECT_EQ(UnitName(10), "");

  Transaction.Rollback();
  EXPECT_EQ(ColumnCount("T_NOTE"), "4");
  EXPECT_EQ(UnitName(10), "");

  RunBlock("INSERT INTO T_UNIT (ID, S_NAME) VALUES (11, 'Ampere')");
  EXPECT_EQ(UnitName(11), "Ampere");
  EXPECT_THAT(ExecuteErrors, testing::IsEmpty());
  EXPECT_THAT(ParseErrors, testing::IsEmpty());
}

TEST_F(IBScriptTest, DataStatementStartsTheBoundTransactionAndLeavesItOpen) {
  Script.SetScriptText("UPDATE T_UNIT SET S_NAME = 'Ohm2' WHERE ID = 1;");
  Script.ExecuteScript();
  ASSERT_TRUE(Transaction.InTransaction());
  EXPECT_EQ(UnitName(1), "Ohm");
  Transaction.Commit();
  EXPECT_EQ(UnitName(1), "Ohm2");
}

TEST_F(IBScriptTest, ColonNameInDataStatementIsAnUnfilledParameter) {
  RunBlock("UPDATE T_UNIT SET S_SHORTNAME = :NEW_NAME WHERE ID = 1 AND S_NAME <> ':X';");
  EXPECT_THAT(ExecuteErrors, testing::IsEmpty());
  EXPECT_EQ(Ask("SELECT COUNT(*) AS N FROM T_UNIT WHERE ID = 1 AND S_SHORTNAME IS NULL", "N"), "1");
}

TEST_F(IBScriptTest, ExecuteErrorReportsTheServerMessageAndStopsTheBlock) {
  if (!testsupport::EmbedsUpdate121()) GTEST_SKIP() << testsupport::SAboutUpdate121;
  package::TUpdatePackage Package;
  ASSERT_TRUE(package::LoadUpdateInfo(package::EmbeddedResources(), Package));
  const std::string& FirstBlock = Package.FScriptBlock.at(0);
  RunBlock(FirstBlock);
  ASSERT_THAT(ExecuteErrors, testing::IsEmpty());

  RunBlock(FirstBlock + "INSERT INTO T_UNIT (ID, S_NAME) VALUES (12, 'never');\r\n");
  ASSERT_EQ(ExecuteErrors.size(), 1u);
  EXPECT_EQ(ExecuteErrors[0].SQLText, "ALTER TABLE T_PROJECT\r\nADD ICONID INTEGER");
  EXPECT_EQ(ExecuteErrors[0].LineIndex, 1u);
  // The server's answer as the database layer words it: its lines joined by CR LF.
  EXPECT_EQ(ExecuteErrors[0].Error,
            "unsuccessful metadata update\r\n"
            "ALTER TABLE T_PROJECT failed\r\n"
            "violation of PRIMARY or UNIQUE KEY constraint \"RDB$INDEX_15\" on table "
            "\"RDB$RELATION_FIELDS\"\r\n"
            "Problematic key value is (\"RDB$FIELD_NAME\" = 'ICONID', \"RDB$RELATION_NAME\" = "
            "'T_PROJECT')");
  EXPECT_EQ(UnitName(12), "");
}

TEST_F(IBScriptTest, IgnoredErrorGoesOnWithTheNextStatementAfterRollingBackItsOwn) {
  IgnoreErrors = true;
  RunBlock(
      "ALTER TABLE T_NOTE ADD S_TEXT INTEGER;\r\n"
      "INSERT INTO T_NOWHERE VALUES (1);\r\n"
      "ALTER TABLE T_NOTE ADD S_AUTHOR VARCHAR(64);\r\n");
  ASSERT_EQ(ExecuteErrors.size(), 2u);
  EXPECT_EQ(ExecuteErrors[0].LineIndex, 1u);
  EXPECT_EQ(ExecuteErrors[1].SQLText, "INSERT INTO T_NOWHERE VALUES (1)");
  EXPECT_EQ(ExecuteErrors[1].LineIndex, 2u);
  EXPECT_EQ(ColumnCount("T_NOTE"), "4");
}

TEST_F(IBScriptTest, HandlerMayGiveANewScriptWhileTheOldOneRuns) {
  Script.OnExecuteError = [this](TIBScript&, const std::string&, const std::string&, int,
                                 bool& AIgnore) {
    Script.SetScriptText("DELETE FROM T_UNIT;");
    AIgnore = true;
  };
  RunBlock("INSERT INTO T_NOWHERE VALUES (1);\r\nINSERT INTO T_UNIT (ID, S_NAME) VALUES (21, 'after');");
  EXPECT_EQ(UnitName(21), "after");
  EXPECT_EQ(Script.ScriptText(), "DELETE FROM T_UNIT;\r\n");
}

TEST_F(IBScriptTest, ParseErrorsStopTheBlock) {
  RunBlock("INSERT INTO T_UNIT (ID, S_NAME) VALUES (13, 'first');\r\n-- note\r\nINSERT INTO T_UNIT "
           "(ID, S_NAME) VALUES (14, 'second');\r\nINSERT INTO T_UNIT (ID, S_NAME) VALUES (15, 'x');");
  RunBlock("\r\n/* never closed\r\nDELETE FROM T_UNIT;");
  EXPECT_THAT(ParseErrors,
              ElementsAre(TReportedError{"Invalid statement",
                                         "-- note\r\nINSERT INTO T_UNIT (ID, S_NAME) VALUES (14, 'second')",
                                         2},
                          TReportedError{"Invalid Comment", "", 2}));
  EXPECT_EQ(UnitName(13), "first");
  EXPECT_EQ(UnitName(15), "");
  EXPECT_EQ(Ask("SELECT COUNT(*) AS N FROM T_UNIT", "N"), "3");
  EXPECT_THAT(ExecuteErrors, testing::IsEmpty());
}

TEST_F(IBScriptTest, TerminatorAndAutoDDLHoldForLaterScripts) {
  RunBlock("SET TERM ^ ;\r\nSET AUTODDL OFF^");
  EXPECT_EQ(Script.Terminator(), "^");
  EXPECT_FALSE(Script.AutoDDL());

  // Without its own commit the schema change shares the bound transaction's fate.
  Transaction.StartTransaction();
  Script.SetScriptText("ALTER TABLE T_NOTE ADD S_AUTHOR VARCHAR(64)^\r\nSET TERM ; ^");
  Script.ExecuteScript();
  Transaction.Rollback();
  EXPECT_EQ(Script.Terminator(), ";");
  EXPECT_EQ(ColumnCount("T_NOTE"), "3");
  EXPECT_THAT(ExecuteErrors, testing::IsEmpty());
  EXPECT_THAT(ParseErrors, testing::IsEmpty());
}

TEST_F(IBScriptTest, CommitAndRollbackInTheScriptActOnTheBoundTransaction) {
  Transaction.StartTransaction();
  Script.SetScriptText(
      "INSERT INTO T_UNIT (ID, S_NAME) VALUES (16, 'kept');\r\nCOMMIT;\r\n"
      "INSERT INTO T_UNIT (ID, S_NAME) VALUES (17, 'undone');\r\nROLLBACK;\r\n"
      "INSERT INTO T_UNIT (ID, S_NAME) VALUES (18, 'retained');\r\nCOMMIT RETAINING;\r\n"
      "INSERT INTO T_UNIT (ID, S_NAME) VALUES (19, 'undone too');\r\nROLLBACK RETAINING;\r\n"
      "INSERT INTO T_UNIT (ID, S_NAME) VALUES (20, 'kept too');\r\nCOMMIT;");
  Script.ExecuteScript();
  EXPECT_THAT(ExecuteErrors, testing::IsEmpty());
  // The owner still finds its transaction active, as it left it, and can end it as it likes.
  ASSERT_TRUE(Transaction.InTransaction());
  Transaction.Commit();
  EXPECT_EQ(UnitName(16), "kept");
  EXPECT_EQ(UnitName(17), "");
  EXPECT_EQ(UnitName(18), "retained");
  EXPECT_EQ(UnitName(19), "");
  EXPECT_EQ(UnitName(20), "kept too");
}

TEST_F(IBScriptTest, ScriptIsKeptAsCrLfLines) {
  Script.SetScriptText("SELECT 1\nFROM RDB$DATABASE\r\rX");
  EXPECT_EQ(Script.ScriptText(), "SELECT 1\r\nFROM RDB$DATABASE\r\n\r\nX\r\n");
  EXPECT_THAT(Script.Script(), ElementsAre("SELECT 1", "FROM RDB$DATABASE", "", "X"));
  Script.SetScript({"A", "B\rC"});
  EXPECT_EQ(Script.ScriptText(), "A\r\nB\r\nC\r\n");
}

}  // namespace
}  // namespace update
