#include "app/ApplicationErrors.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(ApplicationErrors, FullStopFollowsOnlyCharactersThatSortAfterIt) {
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"Disk is full", "Disk is full."}, {"Done.", "Done."},       {"Stop!", "Stop!"},
      {"a, b,", "a, b,"},                {"(x)", "(x)"},           {"trailing ", "trailing "},
      {"", ""},                          {"Ошибка", "Ошибка."},    {"code 7", "code 7."},
  };
  for (const auto& [Message, Expected] : Cases) {
    EXPECT_EQ(DefaultErrorText(Message), Expected) << Message;
  }
}

TEST(ApplicationErrors, TitleIsTheFileNameWithoutExtensionInLowerCaseAfterTheFirstCharacter) {
  EXPECT_EQ(ApplicationTitle("/opt/bin/dbupdate"), "dbupdate");
  EXPECT_EQ(ApplicationTitle("C:\\Tools\\DBUpdate.EXE"), "Dbupdate");
  EXPECT_EQ(ApplicationTitle("Wizard.v2.exe"), "Wizard.v2");
}

TEST(ApplicationErrors, LastResortTextNamesClassModuleAddressAndMessage) {
  EXPECT_EQ(ApplicationErrorText("EIBClientError", "dbupdate", 0x1A2B, "Library missing"),
            "Exception EIBClientError in module dbupdate at 0000000000001A2B.\r\nLibrary missing.\r\n");
  EXPECT_EQ(ApplicationErrorText("E", "m", 0, "Ends."), "Exception E in module m at 0000000000000000.\r\nEnds.\r\n");
}

}  // namespace
}  // namespace app
