#include "update/ScriptCutter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/TextLines.h"

namespace update {
namespace {

std::string KindName(TStatementKind AKind) {
  switch (AKind) {
    case TStatementKind::Schema: return "Schema";
    case TStatementKind::Data: return "Data";
    case TStatementKind::SetTerm: return "SetTerm";
    case TStatementKind::Commit: return "Commit";
    case TStatementKind::CommitRetaining: return "CommitRetaining";
    case TStatementKind::Rollback: return "Rollback";
    case TStatementKind::RollbackRetaining: return "RollbackRetaining";
    case TStatementKind::AutoDDLOn: return "AutoDDLOn";
    case TStatementKind::AutoDDLOff: return "AutoDDLOff";
  }
  return "?";
}

// One line per item, "<kind or error>@<line>:<text>", so that a failing row shows the whole cut.
std::vector<std::string> CutAll(std::string_view AText, std::string& ATerminator) {
  TScriptCutter Cutter(AText, ATerminator);
  std::vector<std::string> Items;
  for (;;) {
    const TScriptItem Item = Cutter.Next();
    if (std::holds_alternative<TScriptEnd>(Item)) break;
    if (const auto* Statement = std::get_if<TScriptStatement>(&Item)) {
      Items.push_back(KindName(Statement->Kind) + "@" + std::to_string(Statement->LineIndex) + ":" +
                      std::string(Statement->Text));
    } else {
      const auto& Error = std::get<TScriptParseError>(Item);
      Items.push_back(std::string(Error.Error) + "@" + std::to_string(Error.LineIndex) + ":" +
                      std::string(Error.SQLText));
    }
  }
  ATerminator = Cutter.Terminator();
  return Items;
}

struct TCutCase {
  const char* Name;
  std::string Script;  // line breaks as CR LF, which is how the executor hands texts over
  std::string TerminatorBefore;
  std::vector<std::string> Expected;
  std::string TerminatorAfter;
};

void PrintTo(const TCutCase& ACase, std::ostream* AStream) { *AStream << ACase.Name; }

class ScriptCutterTest : public testing::TestWithParam<TCutCase> {};

TEST_P(ScriptCutterTest, CutsAsExpected) {
  const TCutCase& Case = GetParam();
  std::string Terminator = Case.TerminatorBefore;
  EXPECT_THAT(CutAll(Case.Script, Terminator), testing::ElementsAreArray(Case.Expected));
  EXPECT_EQ(Terminator, Case.TerminatorAfter);
}

const TCutCase CutCases[] = {
    {"PackagedFirstBlock",
     "/* ------ DB Error Fixed Ver 1.2.1 ------ */\r\n\r\nALTER TABLE T_PROJECT\r\n"
     "ADD ICONID INTEGER;\r\n\r\n",
     ";", {"Schema@1:ALTER TABLE T_PROJECT\r\nADD ICONID INTEGER"}, ";"},
    {"StatementsAndLines",
     "\r\n  DELETE FROM A; DELETE FROM B;\r\n\r\n\tINSERT INTO C VALUES (1);\r\n", ";",
     {"Data@2:DELETE FROM A", "Data@2:DELETE FROM B", "Data@4:INSERT INTO C VALUES (1)"}, ";"},
    {"BlanksBeforeTerminatorStay", "UPDATE T SET A = 1\r\n  \r\n;", ";",
     {"Data@1:UPDATE T SET A = 1\r\n  \r\n"}, ";"},
    {"TerminatorInsideQuotes",
     "INSERT INTO T VALUES ('a;b', 'it''s;', \"c;d\");DELETE FROM \"X;\";", ";",
     {"Data@1:INSERT INTO T VALUES ('a;b', 'it''s;', \"c;d\")", "Data@1:DELETE FROM \"X;\""}, ";"},
    {"TerminatorInsideCommentStaysInText", "SELECT /* ; */ 1 FROM R /* x\r\n; */;", ";",
     {"Data@1:SELECT /* ; */ 1 FROM R /* x\r\n; */"}, ";"},
    {"QuoteInsideCommentHidesNothing", "DELETE FROM T /* it's */;DELETE FROM U;", ";",
     {"Data@1:DELETE FROM T /* it's */", "Data@1:DELETE FROM U"}, ";"},
    {"CommentsBeforeStatementGiveTheirLine",
     "DELETE FROM A; /* one\r\n*/\r\n/* two */ /* three */\r\n\r\nDELETE FROM B;\r\n\r\n"
     "/**/\r\nDELETE FROM C;",
     ";", {"Data@1:DELETE FROM A", "Data@1:DELETE FROM B", "Data@7:DELETE FROM C"}, ";"},
    {"TerminatorMidWord", "DELETE FROM AB;CD;SELECT X FROM Y", ";",
     {"Data@1:DELETE FROM AB", "Invalid statement@1:CD", "Data@1:SELECT X FROM Y"}, ";"},
    {"MultiCharacterTerminatorComparedExactly",
     "DELETE FROM T WHERE A = 'GO' GO delete from u where a = 1 go GOSELECT 1 FROM R", "GO",
     {"Data@1:DELETE FROM T WHERE A = 'GO' ", "Data@1:delete from u where a = 1 go ",
      "Data@1:SELECT 1 FROM R"},
     "GO"},
    {"RepeatingTerminatorFoundWhereItFirstEnds", "DELETE FROM T aaab DELETE FROM U aabaab", "aab",
     {"Data@1:DELETE FROM T a", "Data@1:DELETE FROM U "}, "aab"},
    {"TerminatorBegunInsideQuotesIsNoTerminator", "DELETE FROM T 'xa'b ab DELETE FROM U", "ab",
     {"Data@1:DELETE FROM T 'xa'b ", "Data@1:DELETE FROM U"}, "ab"},
    {"UnclosedCommentBeforeStatement", "DELETE FROM A;\r\n\r\n/* open\r\nDELETE FROM B;", ";",
     {"Data@1:DELETE FROM A", "Invalid Comment@3:"}, ";"},
    {"UnclosedCommentInsideStatementRunsToTheEnd", "SELECT 1 FROM R /* ;\r\nX;\r\n", ";",
     {"Data@1:SELECT 1 FROM R /* ;\r\nX;"}, ";"},
    {"UnclosedQuoteRunsToTheEnd", "INSERT INTO T VALUES ('a;);\r\n", ";",
     {"Data@1:INSERT INTO T VALUES ('a;);"}, ";"},
    {"TrailingTextIsOneMoreStatement", "DELETE FROM A;\r\nDELETE\r\nFROM B\r\n", ";",
     {"Data@1:DELETE FROM A", "Data@2:DELETE\r\nFROM B"}, ";"},
    {"TrailingBlanksAndCommentsAreIgnored", "DELETE FROM A; /* c */ \r\n\t\r\n/* d */", ";",
     {"Data@1:DELETE FROM A"}, ";"},
    {"EmptyStatementsAreSkipped", ";; /* c */ ;\r\nDELETE FROM A;;", ";", {"Data@2:DELETE FROM A"},
     ";"},
    {"NothingButBlanks", " \r\n\t\r\n", ";", {}, ";"},
    {"DoubleDashOpensNoComment",
     "-- note\r\nDELETE FROM A;\r\nDELETE FROM B -- x;\r\n--;", ";",
     {"Invalid statement@1:-- note\r\nDELETE FROM A", "Data@3:DELETE FROM B -- x",
      "Invalid statement@4:--"},
     ";"},
    {"SetTermAroundProcedure",
     "SET TERM ^ ;\r\nCREATE OR ALTER PROCEDURE P AS\r\nBEGIN\r\n  EXIT;\r\nEND\r\n^\r\n"
     "SET TERM ; ^\r\nCOMMIT;",
     ";",
     {"SetTerm@1:SET TERM ^ ", "Schema@2:CREATE OR ALTER PROCEDURE P AS\r\nBEGIN\r\n  EXIT;\r\nEND\r\n",
      "SetTerm@7:SET TERM ; ", "Commit@8:COMMIT"},
     ";"},
    {"SetTermWithTabsAndLowerCase", "set\tterm\t!!\t;DELETE FROM A; B!!", ";",
     {"SetTerm@1:set\tterm\t!!\t", "Data@1:DELETE FROM A; B"}, "!!"},
    {"SetTermWithoutBlankBeforeTerminator", "SET TERM ^;DELETE FROM A^", ";",
     {"SetTerm@1:SET TERM ^", "Data@1:DELETE FROM A"}, "^"},
    {"SetTermTooFewWords", "SET TERM ;\r\nDELETE FROM A;", ";",
     {"Invalid statement@1:SET TERM ", "Data@2:DELETE FROM A"}, ";"},
    {"SetTermTooManyWords", "SET TERM ^ X;DELETE FROM A;", ";",
     {"Invalid statement@1:SET TERM ^ X", "Data@1:DELETE FROM A"}, ";"},
    {"TerminatorCarriedInFromEarlierBlock", "DELETE FROM A; DELETE FROM B^\r\nSET TERM ; ^", "^",
     {"Data@1:DELETE FROM A; DELETE FROM B", "SetTerm@2:SET TERM ; "}, ";"},
    {"ProcedureWithoutSetTermCutAtFirstTerminator",
     "CREATE PROCEDURE P AS BEGIN EXIT; END;", ";",
     {"Schema@1:CREATE PROCEDURE P AS BEGIN EXIT", "Invalid statement@1:END"}, ";"},
    {"SchemaStatements",
     "ALTER TABLE T DROP A;\r\ncreate or alter view V as select 1 from R;\r\nDROP TABLE T;\r\n"
     "DECLARE EXTERNAL FUNCTION F;\r\nGRANT ALL ON T TO PUBLIC;\r\nRevoke ALL ON T FROM PUBLIC;\r\n"
     "SET GENERATOR G TO 5;\r\nSET STATISTICS INDEX I;\r\nALTER\tINDEX I ACTIVE;",
     ";",
     {"Schema@1:ALTER TABLE T DROP A", "Schema@2:create or alter view V as select 1 from R",
      "Schema@3:DROP TABLE T", "Schema@4:DECLARE EXTERNAL FUNCTION F",
      "Schema@5:GRANT ALL ON T TO PUBLIC", "Schema@6:Revoke ALL ON T FROM PUBLIC",
      "Schema@7:SET GENERATOR G TO 5", "Schema@8:SET STATISTICS INDEX I",
      "Schema@9:ALTER\tINDEX I ACTIVE"},
     ";"},
    {"DataStatements",
     "INSERT INTO T VALUES (:A);\r\nupdate T set A = 1;\r\nDELETE FROM T;\r\nSELECT 1 FROM R;\r\n"
     "EXECUTE PROCEDURE P;\r\nRECONNECT;\r\nsavepoint;",
     ";",
     {"Data@1:INSERT INTO T VALUES (:A)", "Data@2:update T set A = 1", "Data@3:DELETE FROM T",
      "Data@4:SELECT 1 FROM R", "Data@5:EXECUTE PROCEDURE P", "Data@6:RECONNECT",
      "Data@7:savepoint"},
     ";"},
    {"ExecutorCommands",
     "COMMIT;\r\ncommit Retaining;\r\nROLLBACK;\r\nROLLBACK\r\nRETAINING;\r\nSET AUTODDL OFF;\r\n"
     "set autoddl on;",
     ";",
     {"Commit@1:COMMIT", "CommitRetaining@2:commit Retaining", "Rollback@3:ROLLBACK",
      "RollbackRetaining@4:ROLLBACK\r\nRETAINING", "AutoDDLOff@6:SET AUTODDL OFF",
      "AutoDDLOn@7:set autoddl on"},
     ";"},
    {"InvalidStatements",
     "SELECT;\r\nCOMMIT WORK;\r\nCREATE DATABASE 'x';\r\nCREATE SCHEMA 'x';\r\nDROP DATABASE;\r\n"
     "SET STATISTICS T;\r\nSET NAMES WIN1251;\r\nSET AUTODDL;\r\nSAVEPOINT S1;\r\nCONNECT 'x';\r\n"
     "RECREATE TABLE T (A INTEGER);\r\nSELECT*FROM R;",
     ";",
     {"Invalid statement@1:SELECT", "Invalid statement@2:COMMIT WORK",
      "Invalid statement@3:CREATE DATABASE 'x'", "Invalid statement@4:CREATE SCHEMA 'x'",
      "Invalid statement@5:DROP DATABASE", "Invalid statement@6:SET STATISTICS T",
      "Invalid statement@7:SET NAMES WIN1251", "Invalid statement@8:SET AUTODDL",
      "Invalid statement@9:SAVEPOINT S1", "Invalid statement@10:CONNECT 'x'",
      "Invalid statement@11:RECREATE TABLE T (A INTEGER)", "Invalid statement@12:SELECT*FROM R"},
     ";"},
};

INSTANTIATE_TEST_SUITE_P(Rows, ScriptCutterTest, testing::ValuesIn(CutCases),
                         [](const testing::TestParamInfo<TCutCase>& AInfo) {
                           return std::string(AInfo.param.Name);
                         });

TEST(NormalizeLineBreaksTest, MatchesThePackageLineRules) {
  for (const std::string_view Text :
       {"", "a", "a\r\n", "a\n", "a\r", "\n\r", "a\r\r\nb", "\r\n\r\n", "a\n\nb\r\rc", "x\ry\nz"}) {
    EXPECT_EQ(NormalizeLineBreaks(Text), package::JoinLines(package::SplitLines(Text)))
        << testing::PrintToString(std::string(Text));
  }
  EXPECT_EQ(NormalizeLineBreaks("a\n\rb"), "a\r\n\r\nb\r\n");
}

struct TColonCase {
  std::string_view Text;
  std::string_view Sent;
};

TEST(ColonNamesToParametersTest, ReplacesNamesOutsideQuotesCommentsAndBlockBodies) {
  const TColonCase Cases[] = {
      {"UPDATE T SET A = :A, B = ':B', C = \":C\" WHERE D = :Long_Name$1",
       "UPDATE T SET A = ?, B = ':B', C = \":C\" WHERE D = ?"},
      {"SELECT 1 FROM R /* :X */ WHERE A = :Y -- :Z\r\nAND B = :W AND C = :1",
       "SELECT 1 FROM R /* :X */ WHERE A = ? -- :Z\r\nAND B = ? AND C = :1"},
      {"execute block (P INTEGER = :P) returns (Q INTEGER) as begin Q = :P; suspend; end",
       "execute block (P INTEGER = ?) returns (Q INTEGER) as begin Q = :P; suspend; end"},
      {"EXECUTE PROCEDURE P(:A)", "EXECUTE PROCEDURE P(?)"},
  };
  for (const TColonCase& Case : Cases) {
    EXPECT_EQ(ColonNamesToParameters(Case.Text), Case.Sent);
  }
}

}  // namespace
}  // namespace update
