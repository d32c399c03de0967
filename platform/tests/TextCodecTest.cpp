#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <clocale>

namespace platform {
namespace {

// The "C" locale's character set is ASCII: what it cannot hold must not vanish silently.
TEST(TextCodec, ReplacesBytesTheLocaleCannotConvert) {
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(AnsiToUtf8("abc"), "abc");
  EXPECT_EQ(AnsiToUtf8("a\xE9z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(Utf8ToAnsi("a\xC3\xA9z"), "a?z");
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
