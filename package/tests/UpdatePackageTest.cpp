#include "package/UpdatePackage.h"

#include "package/TextLines.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace package {
namespace {

TEST(SplitText, CutsAtEveryDelimiter) {
  struct TCase {
    std::string_view Text;
    std::string_view Delimiter;
    TStringArray Pieces;
  };
  const std::vector<TCase> Cases = {
      {"a--b--c", "--", {"a", "b", "c"}},
      {"abc", "--", {"abc"}},
      {"", "--", {""}},
      {"--", "--", {"", ""}},
      {"----", "--", {"", "", ""}},
      {"---", "--", {"", "-"}},
      {"abc", "", {"abc"}},
      {"x--BLOCK--y", "--block--", {"x--BLOCK--y"}},
      {"\r\n--block--\r\n", "--block--", {"\r\n", "\r\n"}},
  };
  for (const TCase& Case : Cases) {
    TStringArray Result = {"left over"};
    SplitText(Case.Text, Case.Delimiter, Result);
    EXPECT_EQ(Result, Case.Pieces) << '"' << Case.Text << "\" at \"" << Case.Delimiter << '"';
  }
}

class TMemoryResources final : public TResourceSource {
public:
  void Set(std::string_view AType, int AId, std::string_view AText) {
    FTexts[{std::string(AType), AId}] = std::string(AText);
  }
  void Remove(std::string_view AType, int AId) { FTexts.erase({std::string(AType), AId}); }

  [[nodiscard]] std::optional<TResourceBytes> FindResource(std::string_view AType,
                                                           int AId) const override {
    const auto It = FTexts.find({std::string(AType), AId});
    if (It == FTexts.end()) {
      return std::nullopt;
    }
    return TResourceBytes(reinterpret_cast<const std::uint8_t*>(It->second.data()),
                          It->second.size());
  }

private:
  std::map<std::pair<std::string, int>, std::string> FTexts;
};

constexpr std::string_view ValidDescriptor =
    "[General]\r\n"
    "UpdTitle=Title\r\n"
    "[FromKvornInfo]\r\n"
    "MajorVersion=1\r\n"
    "MinorVersion=2\r\n"
    "BuildVersion=3\r\n"
    "[ToKvornInfo]\r\n"
    "MajorVersion=1\r\n"
    "MinorVersion=2\r\n"
    "BuildVersion=4\r\n"
    "[FromDBVerif]\r\n"
    "tablescount=3\r\n"
    "t0=A\r\n"
    "t1=B\r\n"
    "t2=C\r\n";

std::string Replaced(std::string_view AText, std::string_view AFrom, std::string_view ATo) {
  std::string Text(AText);
  const size_t Pos = Text.find(AFrom);
  EXPECT_NE(Pos, std::string::npos) << AFrom;
  return Pos == std::string::npos ? Text : Text.replace(Pos, AFrom.size(), ATo);
}

class LoadUpdateInfoTest : public testing::Test {
protected:
  LoadUpdateInfoTest() { UseDescriptor(ValidDescriptor); UseScript("select 1 from rdb$database;"); }

  void UseDescriptor(std::string_view AText) {
    FResources.Set(DescriptorResourceType, DescriptorResourceId, AText);
  }
  void UseScript(std::string_view AText) {
    FResources.Set(ScriptResourceType, ScriptResourceId, AText);
  }
  bool Load() { return LoadUpdateInfo(FResources, FPackage); }

  TMemoryResources FResources;
  TUpdatePackage FPackage;
};

TEST_F(LoadUpdateInfoTest, LoadsAValidPackage) {
  ASSERT_TRUE(Load());
  EXPECT_TRUE(FPackage.FGeneralUpdInfo);
  EXPECT_EQ(FPackage.FUpdTitle, "Title");
  EXPECT_EQ(FPackage.FUpdDescription, "");
  EXPECT_EQ(FPackage.FFromBDVer, (TEBDataVaseVersion{1, 2, 3}));
  EXPECT_EQ(FPackage.FToBDVer, (TEBDataVaseVersion{1, 2, 4}));
  EXPECT_EQ(FPackage.FDBVerifTables, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(FPackage.FScriptBlock, (TStringArray{"select 1 from rdb$database;\r\n"}));
}

TEST_F(LoadUpdateInfoTest, RejectsAnUnusableDescriptor) {
  struct TCase {
    const char* Name;
    std::string_view From;
    std::string_view To;
  };
  const std::vector<TCase> Cases = {
      {"version 65535", "MinorVersion=2", "MinorVersion=65535"},
      {"version -1", "BuildVersion=4", "BuildVersion=-1"},
      {"version with low 16 bits all ones", "BuildVersion=3", "BuildVersion=131071"},
      {"version 1.0", "MajorVersion=1", "MajorVersion=1.0"},
      {"version with a trailing comment", "BuildVersion=3", "BuildVersion=3 ;x"},
      {"version key absent", "BuildVersion=4\r\n", ""},
      {"version section absent", "[ToKvornInfo]", "[ToKvorn]"},
      {"tablescount 0", "tablescount=3", "tablescount=0"},
      {"tablescount negative", "tablescount=3", "tablescount=-2"},
      {"tablescount absent", "tablescount=3\r\n", ""},
      {"tablescount not a number", "tablescount=3", "tablescount=three"},
      {"tablescount beyond the names", "tablescount=3", "tablescount=2000000000"},
      {"t1 absent", "t1=B\r\n", ""},
      {"t1 empty", "t1=B", "t1="},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    UseDescriptor(Replaced(ValidDescriptor, Case.From, Case.To));
    FPackage = TUpdatePackage();
    EXPECT_FALSE(Load());
  }
}

TEST_F(LoadUpdateInfoTest, RejectsAMissingResource) {
  FResources.Remove(ScriptResourceType, ScriptResourceId);
  EXPECT_FALSE(Load());
  UseScript("");
  FResources.Remove(DescriptorResourceType, DescriptorResourceId);
  EXPECT_FALSE(Load());
}

TEST_F(LoadUpdateInfoTest, TurnsAnExceptionIntoFalse) {
  class TFailingSource final : public TResourceSource {
  public:
    [[nodiscard]] std::optional<TResourceBytes> FindResource(std::string_view, int) const override {
      throw std::runtime_error("resource section unreadable");
    }
  };
  EXPECT_FALSE(LoadUpdateInfo(TFailingSource(), FPackage));
}

TEST_F(LoadUpdateInfoTest, GeneralSectionIsOptional) {
  struct TCase {
    std::string_view From;
    std::string_view To;
    bool GeneralUpdInfo;
    std::string Title;
  };
  const std::vector<TCase> Cases = {
      {"[General]\r\nUpdTitle=Title\r\n", "", false, ""},
      {"UpdTitle=Title\r\n", "", false, ""},
      {"UpdTitle=Title", "UpdDescription=Text", true, "<unknown>"},
      {"UpdTitle=Title", "UpdTitle=", true, ""},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.From);
    UseDescriptor(Replaced(ValidDescriptor, Case.From, Case.To));
    FPackage = TUpdatePackage();
    ASSERT_TRUE(Load());
    EXPECT_EQ(FPackage.FGeneralUpdInfo, Case.GeneralUpdInfo);
    EXPECT_EQ(FPackage.FUpdTitle, Case.Title);
  }
}

TEST_F(LoadUpdateInfoTest, StoresVersionsAsTheirLow16Bits) {
  std::string Text = Replaced(ValidDescriptor, "MajorVersion=1", "MajorVersion = 0x1");
  Text = Replaced(Text, "MinorVersion=2", "MinorVersion=65536");
  Text = Replaced(Text, "BuildVersion=3", "BuildVersion=$10003");
  UseDescriptor(Text);
  ASSERT_TRUE(Load());
  EXPECT_EQ(FPackage.FFromBDVer, (TEBDataVaseVersion{1, 0, 3}));
}

TEST_F(LoadUpdateInfoTest, ReadsOnlyTheCountedTables) {
  UseDescriptor(Replaced(ValidDescriptor, "tablescount=3", "tablescount=2"));
  ASSERT_TRUE(Load());
  EXPECT_EQ(FPackage.FDBVerifTables, (std::vector<std::string>{"A", "B"}));
}

TEST_F(LoadUpdateInfoTest, CutsTheRebuiltScriptIntoBlocks) {
  struct TCase {
    const char* Name;
    std::string_view Script;
    TStringArray Blocks;
  };
  const std::vector<TCase> Cases = {
      {"no separator", "a\nb", {"a\r\nb\r\n"}},
      {"empty script", "", {""}},
      {"separator last", "a;\r\n--block--", {"a;\r\n", "\r\n"}},
      {"separator inside a line", "a; --block-- b;", {"a; ", " b;\r\n"}},
      {"separators with blank lines", "a;\r\n\r\n--block--\r\n\r\nb;",
       {"a;\r\n\r\n", "\r\n\r\nb;\r\n"}},
      {"invalid UTF-8 after its mark", "\xEF\xBB\xBF" "a;\xFF", {""}},
      {"separator cut by a line break", "a--blo\nck--b", {"a--blo\r\nck--b\r\n"}},
      {"separator after its own start", "---block--x----block--", {"-", "x--", "\r\n"}},
      {"UTF-16 script", std::string_view("\xFF\xFE" "a\0-\0-\0b\0l\0o\0c\0k\0-\0-\0\n\0", 24),
       {"a", "\r\n"}},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    UseScript(Case.Script);
    FPackage = TUpdatePackage();
    ASSERT_TRUE(Load());
    EXPECT_EQ(FPackage.FScriptBlock, Case.Blocks);
  }
}

// The loader cuts the script as it decodes it, in pieces of a few kilobytes; separators and
// their first characters must be found across every place where one piece ends.
TEST_F(LoadUpdateInfoTest, CutsBlocksAcrossThePiecesOfADecodedScript) {
  const std::string_view Alphabet = "-blockx\r\n";
  std::uint32_t Seed = 12345;
  auto Random = [&](std::size_t ALimit) {
    Seed = Seed * 1103515245u + 12345u;
    return static_cast<std::size_t>(Seed >> 16) % ALimit;
  };
  for (int Round = 0; Round < 20; ++Round) {
    std::string Text;
    while (Text.size() < 9000) {
      Text += Random(4) == 0 ? std::string("--block--").substr(0, 1 + Random(9))
                             : std::string(1, Alphabet[Random(Alphabet.size())]);
    }
    std::string Utf16 = "\xFF\xFE";
    for (const char Char : Text) {
      Utf16 += Char;
      Utf16 += '\0';
    }
    TStringArray Expected;
    SplitText(JoinLines(SplitLines(Text)), "--block--", Expected);
    UseScript(Utf16);
    FPackage = TUpdatePackage();
    ASSERT_TRUE(Load());
    EXPECT_EQ(FPackage.FScriptBlock, Expected) << "round " << Round;
  }
}

}  // namespace
}  // namespace package
