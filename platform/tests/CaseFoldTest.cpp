#include "platform/CaseFold.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(CaseFold, UpperCasesLatinAndCyrillicAndKeepsTheRest) {
  EXPECT_EQ(UpperCase("MajorVersion"), "MAJORVERSION");
  EXPECT_EQ(UpperCase("t_project 1_ä"), "T_PROJECT 1_Ä");
  EXPECT_EQ(UpperCase("база"), "БАЗА");
  EXPECT_EQ(UpperCase("a\xFF" "b"), "A\xFF" "B");
  EXPECT_TRUE(SameTextIgnoringCase("-Debug", "-DEBUG"));
  EXPECT_FALSE(SameTextIgnoringCase("MAJORVERSION ", "MAJORVERSION"));
}

}  // namespace
}  // namespace platform
