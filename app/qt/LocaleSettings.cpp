#include "app/qt/LocaleSettings.h"

#include <algorithm>
#include <utility>

namespace app {
namespace {

// Invisible marks that set the direction of text; they are part of how a date looks in
// right-to-left languages, never a separator.
bool IsDirectionMark(QChar AChar) {
  const char16_t Code = AChar.unicode();
  return Code == 0x200E || Code == 0x200F || Code == 0x061C || (Code >= 0x202A && Code <= 0x202E) ||
         (Code >= 0x2066 && Code <= 0x2069);
}

// Walks a Qt date or time format, telling for each character whether it stands inside a quoted
// literal ('...', the quotes included).
template <typename TVisit>
void ForEachChar(const QString& AFormat, TVisit AVisit) {
  bool Quoted = false;
  for (qsizetype Index = 0; Index < AFormat.size(); ++Index) {
    const QChar Char = AFormat[Index];
    const bool Quote = Char == u'\'';
    AVisit(Index, Char, Quoted || Quote);
    if (Quote) {
      Quoted = !Quoted;
    }
  }
}

// Qt's short date format with its separator replaced by "/", and that separator: the first
// character outside quotes that is neither a letter, a blank nor a direction mark.
void ReadDatePattern(const QString& AFormat, TLocaleTimeSettings& ASettings) {
  QChar Separator;
  ForEachChar(AFormat, [&](qsizetype, QChar AChar, bool AQuoted) {
    if (Separator.isNull() && !AQuoted && !AChar.isLetter() && !AChar.isSpace() && !IsDirectionMark(AChar)) {
      Separator = AChar;
    }
  });
  QString Pattern;
  ForEachChar(AFormat, [&](qsizetype, QChar AChar, bool AQuoted) {
    Pattern += !AQuoted && !Separator.isNull() && AChar == Separator ? QChar(u'/') : AChar;
  });
  ASettings.ShortDatePattern = Pattern.toStdString();
  ASettings.DateSeparator = Separator.isNull() ? std::string("/") : QString(Separator).toStdString();
}

// The first run of one of ALetters outside quotes at or after AFrom: its start and end.
std::pair<qsizetype, qsizetype> FindRun(const QString& AFormat, QStringView ALetters, qsizetype AFrom) {
  qsizetype Start = -1;
  qsizetype End = -1;
  ForEachChar(AFormat, [&](qsizetype AIndex, QChar AChar, bool AQuoted) {
    if (AIndex < AFrom || End >= 0) {
      return;
    }
    const bool InRun = !AQuoted && ALetters.contains(AChar);
    if (Start < 0 && InRun) {
      Start = AIndex;
    } else if (Start >= 0 && (!InRun || AChar != AFormat[Start])) {
      End = AIndex;
    }
  });
  if (Start >= 0 && End < 0) {
    End = AFormat.size();
  }
  return {Start, End};
}

// The locale's long time format without the time zone, for locales whose short format has no
// plain separator between hour and minute (such as "HH 'h' mm").
QString TimeFormatWithoutZone(const QString& AFormat) {
  QString Format;
  ForEachChar(AFormat, [&](qsizetype, QChar AChar, bool AQuoted) {
    if (AQuoted || AChar != u't') {
      Format += AChar;
    }
  });
  Format.replace(QStringLiteral("()"), QString());
  return Format.trimmed();
}

void ReadTimePattern(const QLocale& ALocale, TLocaleTimeSettings& ASettings) {
  const QString Format = ALocale.timeFormat(QLocale::ShortFormat);
  const auto [HourAt, HourEnd] = FindRun(Format, u"hH", 0);
  const auto [MarkerAt, MarkerEnd] = FindRun(Format, u"aA", 0);
  ASettings.TwelveHourClock = MarkerAt >= 0;
  ASettings.MarkerBeforeTime = MarkerAt >= 0 && HourAt >= 0 && MarkerAt < HourAt;
  if (HourAt < 0) {
    return;
  }
  ASettings.HourLeadingZero = HourEnd - HourAt >= 2;
  const auto [MinuteAt, MinuteEnd] = FindRun(Format, u"m", HourEnd);
  QString Separator;
  for (const QChar Char : Format.mid(HourEnd, MinuteAt - HourEnd)) {
    if (!IsDirectionMark(Char)) {
      Separator += Char;
    }
  }
  const bool Plain = MinuteAt > HourEnd && !Separator.isEmpty() &&
                     std::none_of(Separator.begin(), Separator.end(),
                                  [](QChar AChar) { return AChar.isLetterOrNumber() || AChar == u'\''; });
  if (Plain) {
    ASettings.TimeSeparator = Separator.toStdString();
  } else {
    ASettings.TimePattern = TimeFormatWithoutZone(ALocale.timeFormat(QLocale::LongFormat)).toStdString();
  }
}

}  // namespace

TLocaleTimeSettings ReadTimeSettings(const QLocale& ALocale) {
  TLocaleTimeSettings Settings;
  ReadDatePattern(ALocale.dateFormat(QLocale::ShortFormat), Settings);
  ReadTimePattern(ALocale, Settings);
  Settings.AMDesignator = ALocale.amText().toStdString();
  Settings.PMDesignator = ALocale.pmText().toStdString();
  return Settings;
}

}  // namespace app
