#include "platform/TextCodec.h"

#include "platform/win/WindowsApi.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win/WideText.h"

namespace platform {
namespace {

const std::string R = "\xEF\xBF\xBD";

TEST(WideText, ConvertsBetweenUtf8AndUtf16AndReplacesWhatIsIllFormed) {
  const std::vector<std::pair<std::string, std::wstring>> Both = {
      {"", L""},
      {"client.fdb", L"client.fdb"},
      {"C:\\Базы\\ä.fdb", L"C:\\\x0411\x0430\x0437\x044B\\\x00E4.fdb"},
      {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},  // outside the basic plane: a surrogate pair
  };
  for (const auto& [Utf8, Utf16] : Both) {
    EXPECT_EQ(win::WidenUtf8(Utf8), Utf16) << testing::PrintToString(Utf8);
    EXPECT_EQ(win::NarrowToUtf8(Utf16), Utf8) << testing::PrintToString(Utf8);
  }
  EXPECT_EQ(win::WidenUtf8("a\xC0\xBDz"), L"a\xFFFD\xFFFDz");
  EXPECT_EQ(win::WidenUtf8("a\xE2\x82"), L"a\xFFFD");
  EXPECT_EQ(win::NarrowToUtf8(L"a\xD83Dz"), "a" + R + "z");
  EXPECT_EQ(win::NarrowToUtf8(L"\xDE00"), R);
}

TEST(TextCodec, NamesTheAnsiCodePage) {
  const UINT CodePage = GetACP();
  EXPECT_EQ(LocaleCharset(), CodePage == CP_UTF8 ? std::string("UTF-8") : "CP" + std::to_string(CodePage));
}

// Western European Windows; elsewhere said so.
TEST(TextCodec, ConvertsTheWesternCodePageAndReplacesWhatItLacks) {
  if (GetACP() != 1252) {
    GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
  }
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"abc", "abc"},
      {"a\xE9z", "a\xC3\xA9z"},
      {"\x80", "\xE2\x82\xAC"},  // the euro sign
      {"a\x81z", "a" + R + "z"},  // unassigned in 1252
  };
  for (const auto& [Bytes, Text] : Cases) {
    EXPECT_EQ(AnsiToUtf8(Bytes), Text) << testing::PrintToString(Bytes);
    EXPECT_EQ(AnsiToUtf8KeepsBytes(Bytes), Bytes == Text) << testing::PrintToString(Bytes);
  }
  EXPECT_EQ(Utf8ToAnsi("a\xC3\xA9z"), "a\xE9z");
  EXPECT_EQ(Utf8ToAnsi("база"), "????");
  EXPECT_EQ(Utf8ToAnsi("\xC4\x81"), "?") << "no look-alike: a with macron is not a";
  EXPECT_EQ(Utf8ToAnsi("a\xC0z"), "a?z");
}

// Russian Windows: the wizard's own texts and a Cyrillic path survive the round trip.
TEST(TextCodec, ConvertsTheCyrillicCodePage) {
  if (GetACP() != 1251) {
    GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1251";
  }
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"\xC1\xE0\xE7\xFB \xE4\xE0\xED\xED\xFB\xF5", "Базы данных"},
      {"C:\\\xC4\xE0\xED\xED\xFB\xE5\\\xB8.fdb", "C:\\Данные\\ё.fdb"},
      {"\x88", "\xE2\x82\xAC"},  // the euro sign, elsewhere than in 1252
      {"a\x98z", "a" + R + "z"},  // unassigned in 1251
  };
  for (const auto& [Bytes, Text] : Cases) {
    EXPECT_EQ(AnsiToUtf8(Bytes), Text) << testing::PrintToString(Bytes);
  }
  EXPECT_EQ(Utf8ToAnsi("Мастер обновления"), "\xCC\xE0\xF1\xF2\xE5\xF0 \xEE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xFF");
  EXPECT_EQ(Utf8ToAnsi("a\xC3\xA9z"), "a?z") << "no e acute in 1251";
}

}  // namespace
}  // namespace platform
