// The packaged script through the executor and through the engine's own command-line tool, each
// on a copy of the same database: what they leave behind must be the same.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "package/EmbeddedResources.h"
#include "package/UpdatePackage.h"
#include "testsupport/FixtureDatabase.h"
#include "testsupport/PackagedUpdate.h"
#include "testsupport/TempFolder.h"
#include "update/IBScript.h"
#include "update/tests/Isql.h"

namespace update {
namespace {

// The metadata the package changes, one text per row so that differences show row by row.
struct TPackageMetadata {
  std::vector<std::string> ProjectColumns;
  std::vector<std::string> ProcedureParameters;
  std::vector<std::string> ProcedureSource;

  friend bool operator==(const TPackageMetadata&, const TPackageMetadata&) = default;
};

TPackageMetadata ReadMetadata(const std::string& AFile) {
  TPackageMetadata Metadata;
  Metadata.ProjectColumns = testsupport::QueryColumn(
      AFile,
      "SELECT TRIM(R.RDB$FIELD_NAME) || ' ' || F.RDB$FIELD_TYPE || ' ' || F.RDB$FIELD_LENGTH "
      "|| ' ' || COALESCE(F.RDB$FIELD_SCALE, 0) || ' ' || COALESCE(R.RDB$NULL_FLAG, 0) AS ROW_TEXT "
      "FROM RDB$RELATION_FIELDS R JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE "
      "WHERE R.RDB$RELATION_NAME = 'T_PROJECT' ORDER BY R.RDB$FIELD_POSITION",
      "ROW_TEXT");
  Metadata.ProcedureParameters = testsupport::QueryColumn(
      AFile,
      "SELECT TRIM(P.RDB$PARAMETER_NAME) || ' ' || P.RDB$PARAMETER_TYPE || ' ' || "
      "P.RDB$PARAMETER_NUMBER || ' ' || COALESCE(P.RDB$NULL_FLAG, 0) || ' ' || F.RDB$FIELD_TYPE "
      "|| ' ' || F.RDB$FIELD_LENGTH || ' ' || COALESCE(F.RDB$FIELD_SCALE, 0) || ' ' || "
      "COALESCE(F.RDB$FIELD_PRECISION, 0) AS ROW_TEXT "
      "FROM RDB$PROCEDURE_PARAMETERS P JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = P.RDB$FIELD_SOURCE "
      "WHERE P.RDB$PROCEDURE_NAME = 'INSERT_PROJECT' "
      "ORDER BY P.RDB$PARAMETER_TYPE, P.RDB$PARAMETER_NUMBER",
      "ROW_TEXT");
  Metadata.ProcedureSource = testsupport::QueryColumn(
      AFile,
      "SELECT CAST(RDB$PROCEDURE_SOURCE AS VARCHAR(8000)) AS SOURCE_TEXT FROM RDB$PROCEDURES "
      "WHERE RDB$PROCEDURE_NAME = 'INSERT_PROJECT'",
      "SOURCE_TEXT");
  return Metadata;
}

void PrintTo(const TPackageMetadata& AMetadata, std::ostream* AStream) {
  *AStream << "columns " << testing::PrintToString(AMetadata.ProjectColumns) << "\nparameters "
           << testing::PrintToString(AMetadata.ProcedureParameters) << "\nsource "
           << testing::PrintToString(AMetadata.ProcedureSource);
}

// isql-fb reads its input file as text lines and sends LF alone between them, where the
// executor sends a statement's lines joined by CR LF as they were written; that difference lies in
// how the two read a file, not in what they do with the statements.
TPackageMetadata WithLfBreaks(TPackageMetadata AMetadata) {
  for (std::string& Source : AMetadata.ProcedureSource) {
    std::string Text;
    for (std::size_t Pos = 0; Pos < Source.size(); ++Pos) {
      if (!(Source[Pos] == '\r' && Pos + 1 < Source.size() && Source[Pos + 1] == '\n')) Text += Source[Pos];
    }
    Source = Text;
  }
  return AMetadata;
}

std::vector<std::string> ColumnNames(const TPackageMetadata& AMetadata) {
  std::vector<std::string> Names;
  for (const std::string& Row : AMetadata.ProjectColumns) Names.push_back(Row.substr(0, Row.find(' ')));
  return Names;
}

// Runs the blocks the way the update run does; every error is a failure of the test.
void RunThroughExecutor(const std::string& AFile, const package::TStringArray& ABlocks) {
  db::TIBDatabase Database(testsupport::ClientLibrary());
  Database.SetLoginPrompt(false);
  Database.SetDatabaseName(AFile);
  Database.Params().push_back("user_name=SYSDBA");
  Database.Open();
  db::TIBTransaction Transaction(Database);
  TIBScript Script(Database, Transaction);
  Script.OnParseError = [](TIBScript&, const std::string& AError, const std::string& ASQLText, int) {
    ADD_FAILURE() << "Parse error " << AError << " in SQL text " << ASQLText;
  };
  Script.OnExecuteError = [](TIBScript&, const std::string& AError, const std::string& ASQLText, int,
                             bool&) {
    ADD_FAILURE() << "Execute error " << AError << " in SQL text " << ASQLText;
  };
  for (const std::string& Block : ABlocks) {
    Script.SetScriptText(Block);
    Transaction.StartTransaction();
    Script.ExecuteScript();
    Transaction.Commit();
  }
  Database.Close();
}

TEST(IsqlComparisonTest, PackagedScriptLeavesTheSameMetadataAsIsql) {
  // The metadata compared are those that the update 1.2.1 changes.
  if (!testsupport::EmbedsUpdate121()) GTEST_SKIP() << testsupport::SAboutUpdate121;
  if (!IsqlAvailable()) GTEST_SKIP() << "isql-fb is not installed";
  package::TUpdatePackage Package;
  ASSERT_TRUE(package::LoadUpdateInfo(package::EmbeddedResources(), Package));

  testsupport::TTempFolder Folder;
  const std::string Original = testsupport::MakeDemoDatabase(Folder);
  const std::string ByExecutor = Folder.File("executor.fdb");
  const std::string ByIsql = Folder.File("isql.fdb");
  std::filesystem::copy_file(Original, ByExecutor);
  std::filesystem::copy_file(Original, ByIsql);

  RunThroughExecutor(ByExecutor, Package.FScriptBlock);
  // The blocks joined again are the script without its separator lines.
  std::string Script;
  for (const std::string& Block : Package.FScriptBlock) Script += Block;
  const TIsqlResult Isql = RunIsql(ByIsql, Script, Folder.File("update.sql"));
  ASSERT_EQ(Isql.ExitCode, 0) << Isql.Output;
  EXPECT_EQ(Isql.Output, "");

  const TPackageMetadata Expected = ReadMetadata(ByIsql);
  const TPackageMetadata Actual = ReadMetadata(ByExecutor);
  EXPECT_EQ(WithLfBreaks(Actual), WithLfBreaks(Expected));
  // And the update did what it is for, so that agreeing on doing nothing cannot pass.
  EXPECT_THAT(ColumnNames(Actual),
              testing::ElementsAre("ID", "S_NAME", "S_DESCRIPTION", "V_COUNTDEV_SCHEDULED",
                                   "V_COUNTDEV_COMPLETE", "S_CATEGORY", "D_BEGIN", "D_END",
                                   "F_PROGRESS", "ICONID", "V_FLAG", "C_TIMESTAMP", "U_TIMESTAMP"));
  EXPECT_THAT(Actual.ProcedureParameters, testing::Contains(testing::StartsWith("I_ICONID 0 8 ")));
  // The body reached the server exactly as the script has it, colon names and all.
  const std::string& LastBlock = Package.FScriptBlock.back();
  const std::size_t BodyStart = LastBlock.find("\r\nas\r\n") + 6;
  const std::size_t BodyEnd = LastBlock.find("\r\n^");
  EXPECT_THAT(Actual.ProcedureSource,
              testing::ElementsAre(LastBlock.substr(BodyStart, BodyEnd - BodyStart)));
}

}  // namespace
}  // namespace update
