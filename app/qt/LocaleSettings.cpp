#include "app/qt/LocaleSettings.h"

#include <QRegularExpression>

namespace app {
namespace {

bool IsPatternLetter(QChar AChar) { return AChar.isLetter() || AChar == u'\'' || AChar == u'"'; }

// Qt's short date format with its separator character replaced by "/", and that separator.
void ReadDatePattern(const QString& AFormat, TLocaleTimeSettings& ASettings) {
  QChar Separator;
  for (const QChar Char : AFormat) {
    if (!IsPatternLetter(Char) && !Char.isSpace()) {
      Separator = Char;
      break;
    }
  }
  QString Pattern;
  bool Quoted = false;
  for (const QChar Char : AFormat) {
    if (Char == u'\'') {
      Quoted = !Quoted;
    }
    Pattern += !Quoted && !Separator.isNull() && Char == Separator ? QChar(u'/') : Char;
  }
  ASettings.ShortDatePattern = Pattern.toStdString();
  ASettings.DateSeparator = Separator.isNull() ? std::string("/") : QString(Separator).toUtf8().toStdString();
}

void ReadTimePattern(const QString& AFormat, TLocaleTimeSettings& ASettings) {
  const qsizetype HourAt = AFormat.indexOf(QRegularExpression(QStringLiteral("[hH]")));
  const qsizetype MarkerAt = AFormat.indexOf(QRegularExpression(QStringLiteral("[aA]")));
  ASettings.TwelveHourClock = MarkerAt >= 0;
  ASettings.MarkerBeforeTime = MarkerAt >= 0 && HourAt >= 0 && MarkerAt < HourAt;
  if (HourAt < 0) {
    return;
  }
  qsizetype HourEnd = HourAt;
  while (HourEnd < AFormat.size() && AFormat[HourEnd].toLower() == u'h') {
    ++HourEnd;
  }
  ASettings.HourLeadingZero = HourEnd - HourAt >= 2;
  const qsizetype MinuteAt = AFormat.indexOf(u'm', HourEnd);
  if (MinuteAt > HourEnd) {
    ASettings.TimeSeparator = AFormat.mid(HourEnd, MinuteAt - HourEnd).toUtf8().toStdString();
  }
}

}  // namespace

TLocaleTimeSettings ReadTimeSettings(const QLocale& ALocale) {
  TLocaleTimeSettings Settings;
  ReadDatePattern(ALocale.dateFormat(QLocale::ShortFormat), Settings);
  ReadTimePattern(ALocale.timeFormat(QLocale::ShortFormat), Settings);
  Settings.AMDesignator = ALocale.amText().toUtf8().toStdString();
  Settings.PMDesignator = ALocale.pmText().toUtf8().toStdString();
  return Settings;
}

}  // namespace app
