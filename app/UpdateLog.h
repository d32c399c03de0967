#pragma once

#include <string>

#include "platform/LocalTime.h"

namespace app {

// The pieces of the user's regional settings that a log time stamp is made of.
struct TLocaleTimeSettings {
  // Short date pattern: d, dd, M, MM, yy, yyyy (also y, yyy: the full year); "/" stands for
  // the date separator; text in single or double quotes is literal; anything else is copied.
  std::string ShortDatePattern = "dd/MM/yyyy";
  std::string DateSeparator = ".";
  std::string TimeSeparator = ":";
  bool HourLeadingZero = true;
  bool TwelveHourClock = false;
  bool MarkerBeforeTime = false;  // on a 12-hour clock: "PM 1:05:09" rather than "1:05:09 PM"
  std::string AMDesignator = "AM";
  std::string PMDesignator = "PM";
  // For a locale whose settings give no plain time separator, its own pattern for the time
  // instead: H or HH (0-23), h or hh (1-12 when the pattern has a marker), m, mm, s, ss, AP or
  // ap (the marker); text in single quotes is literal; anything else is copied. Empty: the time
  // is made of the settings above.
  std::string TimePattern;
};

// The date, then (unless the time is exactly 00:00:00) a blank and the time.
[[nodiscard]] std::string FormatLogTimeStamp(const platform::TLocalDateTime& ATime,
                                             const TLocaleTimeSettings& ASettings);

// "[" + time stamp + "] " + message + ";".
[[nodiscard]] std::string FormatLogLine(const platform::TLocalDateTime& ATime,
                                        const TLocaleTimeSettings& ASettings,
                                        const std::string& AMessage);

}  // namespace app
