#include "platform/CaseFold.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace platform {
namespace {

TEST(CaseFold, UpperCasesLatinAndCyrillicAndKeepsTheRest) {
  EXPECT_EQ(UpperCase("MajorVersion"), "MAJORVERSION");
  EXPECT_EQ(UpperCase("t_project 1_ä"), "T_PROJECT 1_Ä");
  EXPECT_EQ(UpperCase("база"), "БАЗА");
  EXPECT_EQ(UpperCase("a\xFF" "b"), "A\xFF" "B");
  // Ill-formed sequences stay bytes, never the ASCII character an overlong form spells.
  const std::pair<std::string_view, std::string_view> IllFormed[] = {
      {"k\xC0\xBDx", "K\xC0\xBDX"},   {"\xE0\x80\xBD", "\xE0\x80\xBD"},
      {"\xF0\x80\x80\xBD", "\xF0\x80\x80\xBD"}, {"\xED\xA0\x80", "\xED\xA0\x80"},
      {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"}, {"\xC3", "\xC3"}};
  for (const auto& [Bytes, Folded] : IllFormed) {
    EXPECT_EQ(UpperCase(Bytes), Folded) << testing::PrintToString(std::string(Bytes));
  }
  EXPECT_TRUE(SameTextIgnoringCase("-Debug", "-DEBUG"));
  EXPECT_FALSE(SameTextIgnoringCase("MAJORVERSION ", "MAJORVERSION"));
}

}  // namespace
}  // namespace platform
