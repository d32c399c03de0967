#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <utility>
#include <vector>

namespace platform {
namespace {

// The "C" locale's character set is ASCII: what it cannot hold must not vanish silently.
TEST(TextCodec, ReplacesBytesTheLocaleCannotConvert) {
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(AnsiToUtf8("abc"), "abc");
  EXPECT_EQ(AnsiToUtf8("a\xE9z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(Utf8ToAnsi("a\xC3\xA9z"), "a?z");
}

// iconv's UTF-8 reader lets some of these through; each ill-formed sequence (its longest start
// of a well-formed one) must become one U+FFFD, so that no invalid UTF-8 leaves the decoder.
TEST(TextCodec, ReplacesEachIllFormedSequenceInAUtf8Locale) {
  const std::string R = "\xEF\xBF\xBD";
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"a\xF4\x90\x80\x80z", "a" + R + R + R + R + "z"},  // above U+10FFFF
      {"\xC0\xBD", R + R},                                // overlong "="
      {"\xE0\x80\xAF", R + R + R},                       // overlong "/"
      {"\xED\xA0\x80", R + R + R},                       // surrogate
      {"\x80\xBF", R + R},                                // lone continuation bytes
      {"a\xE2\x82", "a" + R},                             // cut off at the end
      {"\xE2\x82z", R + "z"},                             // cut off before ASCII
      {"\xF0\x9F\x98", R},                               // four-byte form cut off
      {"\xF8\x88\x80\x80\x80", R + R + R + R + R},     // five-byte form
      {"\xF4\x8F\xBF\xBF\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF\xEF\xBF\xBF"},  // valid limits
  };
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  for (const auto& [Bytes, Text] : Cases) {
    EXPECT_EQ(AnsiToUtf8(Bytes), Text) << testing::PrintToString(Bytes);
    EXPECT_EQ(AnsiToUtf8KeepsBytes(Bytes), Bytes == Text) << testing::PrintToString(Bytes);
  }
  std::setlocale(LC_ALL, "C");
}

TEST(TextCodec, PassesUtf8ThroughAUtf8Locale) {
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  EXPECT_EQ(AnsiToUtf8("база"), "база");
  EXPECT_EQ(AnsiToUtf8("a\xFFz"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(Utf8ToAnsi("база"), "база");
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace platform
