#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "testsupport/FileBytes.h"
#include "testsupport/TempFolder.h"

namespace package {
namespace {

const std::string Descriptor =
    "[General]\nUpdTitle=Probe\n\n"
    "[FromKvornInfo]\nMajorVersion=1\nMinorVersion=2\nBuildVersion=1\n\n"
    "[ToKvornInfo]\nMajorVersion=1\nMinorVersion=2\nBuildVersion=2\n\n"
    "[FromDBVerif]\ntablescount=1\nt0=CFG_LOCAL\n";

struct TCheckResult {
  int ExitCode = -1;
  std::vector<std::string> Lines;  // what the check printed, one entry a line
};

std::vector<std::string> SplitAtBreaks(const std::string& AText) {
  std::vector<std::string> Lines;
  std::string Line;
  for (std::size_t I = 0; I < AText.size(); ++I) {
    if (AText[I] == '\r' || AText[I] == '\n') {
      Lines.push_back(Line);
      Line.clear();
      if (AText[I] == '\r' && I + 1 < AText.size() && AText[I + 1] == '\n') ++I;
    } else {
      Line += AText[I];
    }
  }
  if (!Line.empty()) Lines.push_back(Line);
  return Lines;
}

// Runs the build's check program, as the build runs it, on a package folder.
TCheckResult RunCheck(const std::filesystem::path& AFolder) {
  const std::string Command = "'" PACKAGE_CHECK "' '" + AFolder.string() + "' 2>&1";
  FILE* Pipe = ::popen(Command.c_str(), "r");
  if (Pipe == nullptr) return {};
  std::string Output;
  char Buffer[4096];
  for (std::size_t Read; (Read = std::fread(Buffer, 1, sizeof Buffer, Pipe)) > 0;) Output.append(Buffer, Read);
  const int Status = ::pclose(Pipe);
  return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, SplitAtBreaks(Output)};
}

struct TScriptCase {
  const char* Name;
  std::string Script;  // written with "\n"; each test writes it with every kind of line break
  // The check's lines after "<folder>/update.sql:"; none for a script it accepts.
  std::vector<std::string> Expected;
};

void PrintTo(const TScriptCase& ACase, std::ostream* AStream) { *AStream << ACase.Name; }

const TScriptCase ScriptCases[] = {
    {"UnclosedCommentInBlock3",
     "SELECT 1 FROM RDB$DATABASE;\n--block--\nSELECT 2 FROM RDB$DATABASE;\n--block--\n"
     "SELECT 3 FROM RDB$DATABASE;\n--block--\n\n/* the comment never closes\nSELECT 4 FROM RDB$DATABASE;\n",
     {"8: error: block 3: Invalid Comment: /* the comment never closes"}},
    {"InvalidStatementShowsItsFirstLine",
     "SELECT 1 FROM RDB$DATABASE;\n--block--\n\nSELCT 2\nFROM RDB$DATABASE;\n",
     {"4: error: block 1: Invalid statement: SELCT 2"}},
    {"ErrorAfterGoodStatementsAndComments",
     "/* head */\nALTER TABLE T ADD A INTEGER;\n/* a\n   note */\nDELETE FROM T;\n\nGRAND ALL ON T TO U;\n",
     {"7: error: block 0: Invalid statement: GRAND ALL ON T TO U"}},
    // The executor takes "--" for the start of a statement, and the server refuses it there.
    {"DashCommentBeforeAStatement", "SELECT 1 FROM RDB$DATABASE;\n-- a note\nDELETE FROM T;\n",
     {"2: error: block 0: Invalid statement: -- a note"}},
    // Told once, where the terminator was changed; the next block is cut with ";" again.
    {"TerminatorLeftChanged",
     "SET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN END^\n--block--\nSELECT 1 FROM RDB$DATABASE;\n",
     {"1: error: block 0: the block ends with the terminator \"^\" in force; set it back with "
      "SET TERM ; ^: SET TERM ^"}},
    {"EmptyBlockBetweenOthers",
     "SELECT 1 FROM RDB$DATABASE;\n--block--\n/* only a comment */\n--block--\nSELECT 2 FROM RDB$DATABASE;\n",
     {"2: error: block 1: the block holds no statement"}},
    {"SeparatorAtTheEnd", "SELECT 1 FROM RDB$DATABASE;\n--block--\n",
     {"2: error: block 1: the block holds no statement"}},
    {"EveryFaultyBlockIsTold",
     "SELCT 1;\n--block--\nSELECT 2 FROM RDB$DATABASE;\n--block--\nSELECT 3 FROM RDB$DATABASE;\n/* open\n",
     {"1: error: block 0: Invalid statement: SELCT 1", "6: error: block 2: Invalid Comment: /* open"}},
    // A separator inside a line: the next block begins on that same line.
    {"SeparatorWithinALine",
     "SELECT 1 FROM RDB$DATABASE;\n--block--SELECT 2 FROM RDB$DATABASE;\n\nSELCT 3;\n",
     {"4: error: block 1: Invalid statement: SELCT 3"}},
    {"TerminatorChangedAndSetBackWithinBlocks",
     "SET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN END^\nSET TERM ; ^\n--block--\n"
     "SET TERM !! ;\nEXECUTE BLOCK AS BEGIN END!!\nSET TERM ; !!\nSELECT 1 FROM RDB$DATABASE;\n",
     {}},
    {"LastStatementWithoutTerminator", "SELECT 1 FROM RDB$DATABASE;\n--block--\nSELECT 2 FROM RDB$DATABASE\n",
     {}},
};

class PackageCheckScript : public testing::TestWithParam<std::tuple<TScriptCase, const char*>> {};

// The named line is the file's own, whatever its line breaks: the message's text stands on it.
TEST_P(PackageCheckScript, TellsEachFaultyBlockAtItsLineInTheFile) {
  const auto& [Case, Break] = GetParam();
  testsupport::TTempFolder Temp;
  const std::filesystem::path Folder = Temp.Path() / "package";
  std::filesystem::create_directory(Folder);
  std::string Script;
  for (const char Char : Case.Script) Script += Char == '\n' ? std::string(Break) : std::string(1, Char);
  testsupport::WriteFileBytes((Folder / "update.inf").string(), Descriptor);
  testsupport::WriteFileBytes((Folder / "update.sql").string(), Script);

  const TCheckResult Result = RunCheck(Folder);
  std::vector<std::string> Expected;
  for (const std::string& Line : Case.Expected) Expected.push_back((Folder / "update.sql").string() + ":" + Line);
  EXPECT_THAT(Result.Lines, testing::ElementsAreArray(Expected));
  EXPECT_EQ(Result.ExitCode, Case.Expected.empty() ? 0 : 1);

  const std::vector<std::string> FileLines = SplitAtBreaks(Script);
  for (const std::string& Line : Case.Expected) {
    const std::size_t LineNumber = std::stoul(Line);
    ASSERT_LE(LineNumber, FileLines.size()) << Line;
    if (Line.ends_with("holds no statement")) continue;
    EXPECT_THAT(FileLines[LineNumber - 1], testing::HasSubstr(Line.substr(Line.rfind(": ") + 2))) << Line;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PackageCheckScript,
                         testing::Combine(testing::ValuesIn(ScriptCases), testing::Values("\n", "\r\n", "\r")),
                         [](const auto& AInfo) {
                           const std::string Break = std::get<1>(AInfo.param);
                           return std::string(std::get<0>(AInfo.param).Name) +
                                  (Break == "\n" ? "_LF" : Break == "\r\n" ? "_CRLF" : "_CR");
                         });

}  // namespace
}  // namespace package
