#include "app/UpdateLog.h"

#include <string>

namespace app {
namespace {

std::string ZeroPadded(int AValue, size_t AWidth) {
  std::string Text = std::to_string(AValue);
  if (Text.size() < AWidth) {
    Text.insert(0, AWidth - Text.size(), '0');
  }
  return Text;
}

size_t CountRun(const std::string& APattern, size_t APos) {
  size_t End = APos;
  while (End < APattern.size() && APattern[End] == APattern[APos]) {
    ++End;
  }
  return End - APos;
}

// Appends the literal text of the quote that opens at APos (an unclosed one runs to the end);
// returns the position after it.
size_t AppendQuoted(const std::string& APattern, size_t APos, std::string& AResult) {
  const size_t Close = APattern.find(APattern[APos], APos + 1);
  const size_t End = Close == std::string::npos ? APattern.size() : Close;
  AResult.append(APattern, APos + 1, End - APos - 1);
  return End == APattern.size() ? End : End + 1;
}

std::string FormatDatePart(char ALetter, size_t ACount, const platform::TLocalDateTime& ATime) {
  switch (ALetter) {
    case 'd':
      return ACount >= 2 ? ZeroPadded(ATime.Day, 2) : std::to_string(ATime.Day);
    case 'M':
      return ACount >= 2 ? ZeroPadded(ATime.Month, 2) : std::to_string(ATime.Month);
    default:  // 'y'
      return ACount <= 2 ? ZeroPadded(ATime.Year % 100, 2) : ZeroPadded(ATime.Year, 4);
  }
}

std::string FormatDate(const platform::TLocalDateTime& ATime, const TLocaleTimeSettings& ASettings) {
  const std::string& Pattern = ASettings.ShortDatePattern;
  std::string Result;
  for (size_t Pos = 0; Pos < Pattern.size();) {
    const char Letter = Pattern[Pos];
    if (Letter == 'd' || Letter == 'M' || Letter == 'y') {
      const size_t Count = CountRun(Pattern, Pos);
      Result += FormatDatePart(Letter, Count, ATime);
      Pos += Count;
    } else if (Letter == '/') {
      Result += ASettings.DateSeparator;
      ++Pos;
    } else if (Letter == '\'' || Letter == '"') {
      Pos = AppendQuoted(Pattern, Pos, Result);
    } else {
      Result += Letter;
      ++Pos;
    }
  }
  return Result;
}

std::string FormatTimePart(char ALetter, size_t ACount, const platform::TLocalDateTime& ATime, bool ATwelveHour) {
  int Value = 0;
  switch (ALetter) {
    case 'H':
      Value = ATime.Hour;
      break;
    case 'h':
      Value = ATwelveHour ? (ATime.Hour % 12 == 0 ? 12 : ATime.Hour % 12) : ATime.Hour;
      break;
    case 'm':
      Value = ATime.Minute;
      break;
    default:  // 's'
      Value = ATime.Second;
      break;
  }
  return ACount >= 2 ? ZeroPadded(Value, 2) : std::to_string(Value);
}

std::string FormatTimeByPattern(const platform::TLocalDateTime& ATime, const TLocaleTimeSettings& ASettings) {
  const std::string& Pattern = ASettings.TimePattern;
  const bool TwelveHour = Pattern.find_first_of("aA") != std::string::npos;
  std::string Result;
  for (size_t Pos = 0; Pos < Pattern.size();) {
    const char Letter = Pattern[Pos];
    if (Letter == 'H' || Letter == 'h' || Letter == 'm' || Letter == 's') {
      const size_t Count = CountRun(Pattern, Pos);
      Result += FormatTimePart(Letter, Count, ATime, TwelveHour);
      Pos += Count;
    } else if (Letter == 'a' || Letter == 'A') {
      Result += ATime.Hour < 12 ? ASettings.AMDesignator : ASettings.PMDesignator;
      Pos += Pattern.compare(Pos, 2, "AP") == 0 || Pattern.compare(Pos, 2, "ap") == 0 ? size_t{2} : size_t{1};
    } else if (Letter == '\'') {
      Pos = AppendQuoted(Pattern, Pos, Result);
    } else {
      Result += Letter;
      ++Pos;
    }
  }
  return Result;
}

std::string FormatTime(const platform::TLocalDateTime& ATime, const TLocaleTimeSettings& ASettings) {
  if (!ASettings.TimePattern.empty()) {
    return FormatTimeByPattern(ATime, ASettings);
  }
  int Hour = ATime.Hour;
  if (ASettings.TwelveHourClock) {
    Hour = Hour % 12 == 0 ? 12 : Hour % 12;
  }
  const std::string HourText = ASettings.HourLeadingZero ? ZeroPadded(Hour, 2) : std::to_string(Hour);
  const std::string Clock = HourText + ASettings.TimeSeparator + ZeroPadded(ATime.Minute, 2) +
                            ASettings.TimeSeparator + ZeroPadded(ATime.Second, 2);
  if (!ASettings.TwelveHourClock) {
    return Clock;
  }
  const std::string& Marker = ATime.Hour < 12 ? ASettings.AMDesignator : ASettings.PMDesignator;
  return ASettings.MarkerBeforeTime ? Marker + " " + Clock : Clock + " " + Marker;
}

}  // namespace

std::string FormatLogTimeStamp(const platform::TLocalDateTime& ATime, const TLocaleTimeSettings& ASettings) {
  std::string Stamp = FormatDate(ATime, ASettings);
  if (ATime.Hour != 0 || ATime.Minute != 0 || ATime.Second != 0) {
    Stamp += ' ';
    Stamp += FormatTime(ATime, ASettings);
  }
  return Stamp;
}

std::string FormatLogLine(const platform::TLocalDateTime& ATime, const TLocaleTimeSettings& ASettings,
                          const std::string& AMessage) {
  std::string Line = "[";
  Line += FormatLogTimeStamp(ATime, ASettings);
  Line += "] ";
  Line += AMessage;
  Line += ';';
  return Line;
}

}  // namespace app
