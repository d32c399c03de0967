#include "package/IniFile.h"

#include <gtest/gtest.h>

#include <limits>

#include "package/TextLines.h"

namespace package {
namespace {

constexpr std::int32_t IntMin = std::numeric_limits<std::int32_t>::min();

TMemIniFile IniOf(std::string_view AText) { return TMemIniFile(AText); }

constexpr std::string_view Descriptor =
    "Orphan=before any section\n"
    "[General]\n"
    "  UpdTitle = Hello = world ; not a comment  \n"
    "# Title=hash is no comment\n"
    ";Title=commented out\n"
    "\tTabbed\t=\tvalue\x1F\n"
    "Empty=\n"
    "Dup=first\n"
    "dup=second\n"
    "[ Spaced ]\n"
    "K=v\n"
    "[Header only]\n"
    "[Only comments]\n"
    "; nothing\n"
    "\n"
    "[Bare]\n"
    "no equals sign\n"
    "[Twice]\n"
    "A=1\n"
    "[twice]\n"
    "B=2\n"
    "[Тест]\n"
    "ключ=значение\n"
    "[Shadowed]\n"
    "C=3\n"
    "[SHADOWED]\n"
    "[Other]\n"
    "DUP=other\n"
    "k\xC0\xBDx=overlong\n";

struct TLookupCase {
  std::string_view Section;
  std::string_view Key;
  std::string Expected;
};

TEST(MemIniFile, ReadsStringsByTheDescriptorRules) {
  const TMemIniFile Ini = IniOf(Descriptor);
  const std::vector<TLookupCase> Cases = {
      {"General", "UpdTitle", "Hello = world ; not a comment"},
      {"General", "# Title", "hash is no comment"},
      {"General", ";Title", "<default>"},
      {"General", "Tabbed", "value"},
      {"General", "Empty", ""},
      {"GENERAL", "DUP", "second"},
      {"", "Orphan", "<default>"},
      {"Spaced", "k", "v"},
      {"Bare", "no equals sign", "<default>"},
      {"Twice", "A", "<default>"},
      {"Twice", "B", "2"},
      {"тЕСТ", "КЛЮЧ", "значение"},
      {"Shadowed", "C", "<default>"},
      {"Missing", "K", "<default>"},
      {"Other", "dup", "other"},
      // C0 BD is an overlong "=": no name=value line gave a key holding "=".
      {"Other", "k=x", "<default>"},
      {"Other", "K=X", "<default>"},
      {"Other", "K\xC0\xBDX", "overlong"},
  };
  for (const TLookupCase& Case : Cases) {
    SCOPED_TRACE(std::string(Case.Section) + "/" + std::string(Case.Key));
    EXPECT_EQ(Ini.ReadString(Case.Section, Case.Key, "<default>"), Case.Expected);
  }
}

TEST(MemIniFile, SectionIsPresentOnlyWithALineOtherThanComments) {
  const TMemIniFile Ini = IniOf(Descriptor);
  const std::vector<std::pair<std::string_view, bool>> Cases = {
      {"general", true},  {"Spaced", true},         {"Header only", false},
      {"Only comments", false}, {"Bare", true},     {"Twice", true},
      {"Shadowed", false}, {"Missing", false}};
  for (const auto& [Section, Present] : Cases) {
    EXPECT_EQ(Ini.SectionExists(Section), Present) << Section;
  }
}

TEST(MemIniFile, ReadsIntegersOrGivesTheDefault) {
  const std::vector<std::pair<std::string, std::int32_t>> Cases = {
      {"1", 1},
      {"+1", 1},
      {"-1", -1},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", IntMin},
      {"2147483648", 77},
      {"-2147483649", 77},
      {"$10", 16},
      {"x10", 16},
      {"X1f", 31},
      {"0x10", 16},
      {"0XaB", 171},
      {"$FFFFFFFF", -1},
      {"$80000000", IntMin},
      {"$000000001", 1},
      {"$100000000", 77},
      {"-$10", -16},
      {"+0x10", 16},
      {"-x80000000", IntMin},
      {"-$FFFFFFFF", 1},
      {"", 77},
      {"-", 77},
      {"$", 77},
      {"0x", 77},
      {"1 ;x", 77},
      {"1;x", 77},
      {"1 2", 77},
      {"1.0", 77},
      {"12a", 77},
      {"$1G", 77},
      {"--1", 77},
      {"$-1", 77},
  };
  auto Key = [](size_t AIndex) { return std::string("K").append(std::to_string(AIndex)); };
  std::string Text = "[S]\n";
  for (size_t I = 0; I < Cases.size(); ++I) {
    Text.append(Key(I)).append(" = ").append(Cases[I].first).append("\n");
  }
  const TMemIniFile Ini = IniOf(Text);
  for (size_t I = 0; I < Cases.size(); ++I) {
    EXPECT_EQ(Ini.ReadInteger("S", Key(I), 77), Cases[I].second)
        << '"' << Cases[I].first << '"';
  }
  EXPECT_EQ(Ini.ReadInteger("S", "Absent", 77), 77);
}

}  // namespace
}  // namespace package
