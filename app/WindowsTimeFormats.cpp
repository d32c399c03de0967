#include "app/WindowsTimeFormats.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace app {
namespace {

constexpr std::size_t NotFound = std::string_view::npos;

// For each byte of a format: whether it stands inside a quoted literal ('...', the quotes
// included). The format letters are all ASCII, so a byte-wise walk over UTF-8 is enough.
std::vector<bool> QuotedBytes(std::string_view AFormat) {
  std::vector<bool> Quoted(AFormat.size());
  bool Inside = false;
  for (std::size_t Pos = 0; Pos < AFormat.size(); ++Pos) {
    const bool Quote = AFormat[Pos] == '\'';
    Quoted[Pos] = Inside || Quote;
    if (Quote) {
      Inside = !Inside;
    }
  }
  return Quoted;
}

bool IsAsciiLetter(char AChar) { return (AChar >= 'a' && AChar <= 'z') || (AChar >= 'A' && AChar <= 'Z'); }

bool IsAsciiDigit(char AChar) { return AChar >= '0' && AChar <= '9'; }

bool IsAscii(char AChar) { return static_cast<unsigned char>(AChar) < 0x80; }

// Invisible marks that set the direction of text (U+200E, U+200F, U+061C, U+202A..U+202E,
// U+2066..U+2069): part of how a date looks in right-to-left languages, never a separator.
std::size_t DirectionMarkLength(std::string_view AText, std::size_t APos) {
  static constexpr std::array<std::string_view, 12> Marks = {
      "\xE2\x80\x8E", "\xE2\x80\x8F", "\xD8\x9C",     "\xE2\x80\xAA", "\xE2\x80\xAB", "\xE2\x80\xAC",
      "\xE2\x80\xAD", "\xE2\x80\xAE", "\xE2\x81\xA6", "\xE2\x81\xA7", "\xE2\x81\xA8", "\xE2\x81\xA9"};
  for (const std::string_view Mark : Marks) {
    if (AText.substr(APos, Mark.size()) == Mark) {
      return Mark.size();
    }
  }
  return 0;
}

// The short date format with its separator replaced by "/", and that separator: the first
// character outside quotes that is neither a letter nor a blank. Characters beyond ASCII are
// never taken for it, which leaves out the direction marks.
void ReadDateFormat(std::string_view AFormat, TLocaleTimeSettings& ASettings) {
  const std::vector<bool> Quoted = QuotedBytes(AFormat);
  char Separator = '\0';
  for (std::size_t Pos = 0; Pos < AFormat.size() && Separator == '\0'; ++Pos) {
    const char Char = AFormat[Pos];
    if (!Quoted[Pos] && IsAscii(Char) && !IsAsciiLetter(Char) && Char != ' ') {
      Separator = Char;
    }
  }
  std::string Pattern(AFormat);
  for (std::size_t Pos = 0; Pos < Pattern.size(); ++Pos) {
    if (Separator != '\0' && !Quoted[Pos] && Pattern[Pos] == Separator) {
      Pattern[Pos] = '/';
    }
  }
  ASettings.ShortDatePattern = std::move(Pattern);
  ASettings.DateSeparator = Separator == '\0' ? std::string("/") : std::string(1, Separator);
}

// The first run of one of ALetters outside quotes at or after AFrom: its start and end.
std::pair<std::size_t, std::size_t> FindRun(std::string_view AFormat, const std::vector<bool>& AQuoted,
                                            std::string_view ALetters, std::size_t AFrom) {
  for (std::size_t Start = AFrom; Start < AFormat.size(); ++Start) {
    if (!AQuoted[Start] && ALetters.find(AFormat[Start]) != NotFound) {
      std::size_t End = Start + 1;
      while (End < AFormat.size() && !AQuoted[End] && AFormat[End] == AFormat[Start]) {
        ++End;
      }
      return {Start, End};
    }
  }
  return {NotFound, NotFound};
}

// The time format in the update log's own terms, for a locale without a plain separator
// between hour and minute: only the marker is written differently.
std::string TimePatternOf(std::string_view AFormat, const std::vector<bool>& AQuoted) {
  std::string Pattern;
  for (std::size_t Pos = 0; Pos < AFormat.size(); ++Pos) {
    if (!AQuoted[Pos] && AFormat[Pos] == 't') {
      if (Pos == 0 || AQuoted[Pos - 1] || AFormat[Pos - 1] != 't') {
        Pattern += "AP";
      }
    } else {
      Pattern += AFormat[Pos];
    }
  }
  return Pattern;
}

void ReadTimeFormat(std::string_view AFormat, TLocaleTimeSettings& ASettings) {
  const std::vector<bool> Quoted = QuotedBytes(AFormat);
  const auto [HourAt, HourEnd] = FindRun(AFormat, Quoted, "hH", 0);
  const auto [MarkerAt, MarkerEnd] = FindRun(AFormat, Quoted, "t", 0);
  ASettings.TwelveHourClock = MarkerAt != NotFound;
  ASettings.MarkerBeforeTime = MarkerAt != NotFound && HourAt != NotFound && MarkerAt < HourAt;
  if (HourAt == NotFound) {
    return;
  }
  ASettings.HourLeadingZero = HourEnd - HourAt >= 2;
  const auto [MinuteAt, MinuteEnd] = FindRun(AFormat, Quoted, "m", HourEnd);
  std::string Separator;
  bool Plain = MinuteAt != NotFound;
  for (std::size_t Pos = HourEnd; Plain && Pos < MinuteAt;) {
    if (const std::size_t Mark = DirectionMarkLength(AFormat, Pos); Mark > 0) {
      Pos += Mark;
      continue;
    }
    const char Char = AFormat[Pos];
    Plain = IsAscii(Char) && !IsAsciiLetter(Char) && !IsAsciiDigit(Char) && Char != '\'';
    Separator += Char;
    ++Pos;
  }
  if (Plain && !Separator.empty()) {
    ASettings.TimeSeparator = std::move(Separator);
  } else {
    ASettings.TimePattern = TimePatternOf(AFormat, Quoted);
  }
}

}  // namespace

TLocaleTimeSettings TimeSettingsFromWindows(const TWindowsTimeFormats& AFormats) {
  TLocaleTimeSettings Settings;
  ReadDateFormat(AFormats.ShortDate, Settings);
  ReadTimeFormat(AFormats.TimeFormat, Settings);
  Settings.AMDesignator = AFormats.AMDesignator;
  Settings.PMDesignator = AFormats.PMDesignator;
  return Settings;
}

}  // namespace app
