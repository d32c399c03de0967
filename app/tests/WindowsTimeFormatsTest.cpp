#include "app/WindowsTimeFormats.h"

#include <gtest/gtest.h>

#include <vector>

namespace app {
namespace {

struct TFormatCase {
  const char* Name;
  TWindowsTimeFormats Formats;
  int Hour;
  const char* Expected;  // 5 July 2014, AHour:03:09
};

// Windows' own formats of a few locales, read the way the window reads them and then written
// by the update log: what the user would see in the log's time stamps.
TEST(WindowsTimeFormats, TimeStampsLookAsWindowsWritesThem) {
  const std::vector<TFormatCase> Cases = {
      {"ru-RU: hours without a leading zero", {"dd.MM.yyyy", "H:mm:ss", "", ""}, 8, "05.07.2014 8:03:09"},
      {"de-DE", {"dd.MM.yyyy", "HH:mm:ss", "", ""}, 8, "05.07.2014 08:03:09"},
      {"en-US: marker after the time", {"M/d/yyyy", "h:mm:ss tt", "AM", "PM"}, 20, "7/5/2014 8:03:09 PM"},
      {"ko-KR: marker before the time", {"yyyy-MM-dd", "tt h:mm:ss", "오전", "오후"}, 8, "2014-07-05 오전 8:03:09"},
      {"hu-HU: separator and blank", {"yyyy. MM. dd.", "H:mm:ss", "de.", "du."}, 8, "2014. 07. 05. 8:03:09"},
      {"fi-FI: dots in the time", {"d.M.yyyy", "H.mm.ss", "ap.", "ip."}, 8, "5.7.2014 8.03.09"},
      {"bg-BG: quoted literals keep their dots", {"d.M.yyyy 'г.'", "H:mm:ss 'ч.'", "", ""}, 8, "5.7.2014 г. 8:03:09"},
      {"fr-CA: no plain time separator", {"yyyy-MM-dd", "HH 'h' mm 'min' ss 's'", "a.m.", "p.m."}, 8,
       "2014-07-05 08 h 03 min 09 s"},
      {"own time pattern with a marker", {"yyyy/MM/dd", "tt h'時'mm'分'ss'秒'", "午前", "午後"}, 20,
       "2014/07/05 午後 8時03分09秒"},
      {"direction marks are no separator", {"d\u200f/M\u200f/yyyy", "h:mm:ss tt", "ص", "م"}, 8,
       "5\u200f/7\u200f/2014 8:03:09 ص"},
  };
  for (const auto& Case : Cases) {
    const TLocaleTimeSettings Settings = TimeSettingsFromWindows(Case.Formats);
    EXPECT_EQ(FormatLogTimeStamp({2014, 7, 5, Case.Hour, 3, 9, 0}, Settings), Case.Expected) << Case.Name;
  }
}

}  // namespace
}  // namespace app
