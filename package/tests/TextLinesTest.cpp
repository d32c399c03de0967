#include "package/TextLines.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/TextCodec.h"

namespace package {
namespace {

using namespace std::string_view_literals;

TResourceBytes AsBytes(std::string_view AText) {
  return {reinterpret_cast<const std::uint8_t*>(AText.data()), AText.size()};
}

struct TDecodeCase {
  const char* Name;
  std::string_view Bytes;
  std::vector<std::string> Lines;
};

// Decoding and line cutting together, the way the loader uses them.
TEST(TextLines, DecodesByMarkAndCutsIntoLines) {
  std::setlocale(LC_ALL, "C");
  const std::vector<TDecodeCase> Cases = {
      {"empty text has no line", ""sv, {}},
      {"CR LF", "a\r\nb\r\n"sv, {"a", "b"}},
      {"last line without a break", "a\r\nb"sv, {"a", "b"}},
      {"lone CR and lone LF", "a\rb\nc"sv, {"a", "b", "c"}},
      {"LF CR is two breaks", "a\n\rb"sv, {"a", "", "b"}},
      {"CR before CR LF", "a\r\r\nb"sv, {"a", "", "b"}},
      {"a break alone is one empty line", "\r\n"sv, {""}},
      {"blank lines stay", "\n\r\na\n"sv, {"", "", "a"}},
      // The system's 8-bit character set decides, under the C locale where it can be chosen
      // ("\xE9" is then U+FFFD, as platform's own tests hold).
      {"unmarked byte goes through the 8-bit character set", "a\xE9"sv, {platform::AnsiToUtf8("a\xE9")}},
      {"NUL ends an unmarked text", "a\r\nb\0c\r\nd"sv, {"a", "b"}},
      {"UTF-8 mark dropped", "\xEF\xBB\xBFабв\r\nx"sv, {"абв", "x"}},
      {"UTF-8 mark alone", "\xEF\xBB\xBF"sv, {}},
      {"UTF-8 four-byte character", "\xEF\xBB\xBF\xF0\x9F\x98\x80"sv, {"\xF0\x9F\x98\x80"}},
      {"UTF-8 invalid byte empties all", "\xEF\xBB\xBF" "a\r\nb\xFF" "c"sv, {}},
      {"UTF-8 overlong form", "\xEF\xBB\xBF\xC0\xAF"sv, {}},
      {"UTF-8 encoded surrogate", "\xEF\xBB\xBF\xED\xA0\x80"sv, {}},
      {"UTF-8 above U+10FFFF", "\xEF\xBB\xBF\xF4\x90\x80\x80"sv, {}},
      {"UTF-8 cut off at the end", "\xEF\xBB\xBF" "a\xD0"sv, {}},
      {"UTF-8 bad sequence behind a NUL", "\xEF\xBB\xBF" "a\0\xFF"sv, {}},
      {"UTF-16 LE", "\xFF\xFE" "a\0\r\0\n\0\x30\x04"sv, {"a", "а"}},
      {"UTF-16 BE", "\xFE\xFF\0a\0\n\x04\x30"sv, {"a", "а"}},
      {"UTF-16 surrogate pair", "\xFF\xFE\x3D\xD8\x00\xDE"sv, {"\xF0\x9F\x98\x80"}},
      {"UTF-16 lone high surrogate", "\xFF\xFE\x3D\xD8" "a\0"sv, {"\xEF\xBF\xBD" "a"}},
      {"UTF-16 lone low surrogate", "\xFE\xFF\xDE\x00"sv, {"\xEF\xBF\xBD"}},
      {"UTF-16 NUL ends the text", "\xFF\xFE" "a\0\0\0b\0"sv, {"a"}},
      {"UTF-16 odd last byte dropped", "\xFF\xFE" "a\0b"sv, {"a"}},
  };
  for (const TDecodeCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    EXPECT_EQ(SplitLines(DecodeText(AsBytes(Case.Bytes))), Case.Lines);
    // Kept as the bytes themselves or decoded into a copy, the text must be the same.
    EXPECT_EQ(TDecodedText(AsBytes(Case.Bytes)).Text(), DecodeText(AsBytes(Case.Bytes)));
  }
}

// Without a mark a UTF-8 locale's text gets the locale's rule: each ill-formed sequence
// becomes U+FFFD, the rest is kept, a NUL still ends it.
TEST(TextLines, DecodesUnmarkedTextInAUtf8LocaleToValidUtf8) {
  const std::vector<std::pair<std::string_view, std::string_view>> Cases = {
      {"a\xF4\x90\x80\x80", "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xD0\xB1\xC0\xBD", "\xD0\xB1\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"ok\0\xFF", "ok"},
      {"\xE2\x82", "\xEF\xBF\xBD"},
  };
  // Windows' 8-bit character set is the system's code page, which setlocale does not change.
  if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr || platform::LocaleCharset() != "UTF-8") {
    std::setlocale(LC_ALL, "C");
    GTEST_SKIP() << "no UTF-8 locale to choose; the character set is " << platform::LocaleCharset();
  }
  for (const auto& [Bytes, Text] : Cases) {
    EXPECT_EQ(DecodeText(AsBytes(Bytes)), Text) << testing::PrintToString(std::string(Bytes));
    EXPECT_EQ(TDecodedText(AsBytes(Bytes)).Text(), Text);
  }
  std::setlocale(LC_ALL, "C");
}

// The loader feeds the decoded text in pieces; a CR LF pair may be cut between two of them.
TEST(TextLines, NormalizesLineBreaksCutAnywhereIntoPieces) {
  for (const std::string_view Text :
       {"", "a", "a\r\n", "a\n", "a\r", "\n\r", "a\r\r\nb", "\r\n\r\n", "a\n\nb\r\rc", "x\ry\nz"}) {
    const std::string Whole = JoinLines(SplitLines(Text));
    EXPECT_EQ(NormalizeLineBreaks(Text), Whole);
    for (size_t Cut = 0; Cut <= Text.size(); ++Cut) {
      std::string Result;
      TLineBreakNormalizer Normalizer([&](std::string_view APiece) { Result += APiece; });
      Normalizer.Append(Text.substr(0, Cut));
      Normalizer.Append(Text.substr(Cut));
      Normalizer.Finish();
      EXPECT_EQ(Result, Whole) << testing::PrintToString(std::string(Text)) << " cut at " << Cut;
    }
  }
}

TEST(TextLines, JoinEndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinLines({}), "");
  EXPECT_EQ(JoinLines({""}), "\r\n");
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

}  // namespace
}  // namespace package
