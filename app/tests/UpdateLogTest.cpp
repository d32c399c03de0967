#include "app/UpdateLog.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TLocaleTimeSettings Russian() { return {"dd/MM/yyyy", ".", ":", true, false, false, "", "", ""}; }
TLocaleTimeSettings UnitedStates() { return {"M/d/yyyy", "/", ":", false, true, false, "AM", "PM", ""}; }
TLocaleTimeSettings MarkerFirst() { return {"yyyy/M/d", "-", ":", false, true, true, "上午", "下午", ""}; }

struct TStampCase {
  const char* Name;
  TLocaleTimeSettings Settings;
  platform::TLocalDateTime Time;
  const char* Expected;
};

TEST(UpdateLog, TimeStampFollowsTheLocaleSettings) {
  const std::vector<TStampCase> Cases = {
      {"24-hour", Russian(), {2014, 7, 5, 8, 3, 9, 0}, "05.07.2014 08:03:09"},
      {"24-hour afternoon", Russian(), {2014, 12, 25, 23, 59, 59, 999}, "25.12.2014 23:59:59"},
      {"midnight shows the date alone", Russian(), {2014, 7, 5, 0, 0, 0, 999}, "05.07.2014"},
      {"one second past midnight", Russian(), {2014, 7, 5, 0, 0, 1, 0}, "05.07.2014 00:00:01"},
      {"12-hour morning", UnitedStates(), {2014, 7, 5, 8, 3, 9, 0}, "7/5/2014 8:03:09 AM"},
      {"12-hour noon", UnitedStates(), {2014, 7, 5, 12, 0, 0, 0}, "7/5/2014 12:00:00 PM"},
      {"12-hour after midnight", UnitedStates(), {2014, 7, 5, 0, 30, 0, 0}, "7/5/2014 12:30:00 AM"},
      {"marker before the time", MarkerFirst(), {2014, 7, 5, 13, 5, 0, 0}, "2014-7-5 下午 1:05:00"},
      {"two-digit year", {"d/M/yy", "/", ".", true, false, false, "", "", ""}, {2009, 1, 2, 3, 4, 5, 0}, "2/1/09 03.04.05"},
      {"the locale's own time pattern", {"yyyy-MM-dd", "-", ":", true, false, false, "a.m.", "p.m.", "HH 'h' mm 'min' ss 's'"},
       {2014, 7, 5, 8, 3, 9, 0}, "2014-07-05 08 h 03 min 09 s"},
      {"own pattern on a 12-hour clock", {"d/M/yy", "/", ":", false, true, false, "AM", "PM", "AP h:mm:ss"},
       {2014, 7, 5, 20, 3, 9, 0}, "5/7/14 PM 8:03:09"},
      {"quoted literal", {"yyyy'г.'", "/", ":", true, false, false, "", "", ""}, {2014, 7, 5, 0, 0, 0, 0}, "2014г."},
  };
  for (const auto& Case : Cases) {
    EXPECT_EQ(FormatLogTimeStamp(Case.Time, Case.Settings), Case.Expected) << Case.Name;
  }
}

TEST(UpdateLog, LineIsStampInBracketsMessageAndSemicolon) {
  EXPECT_EQ(FormatLogLine({2014, 7, 5, 8, 3, 9, 0}, Russian(), "Подключение к базе данных /base/client.fdb..."),
            "[05.07.2014 08:03:09] Подключение к базе данных /base/client.fdb...;");
}

}  // namespace
}  // namespace app
