#pragma once

#include <string>

#include "app/UpdateLog.h"

namespace app {

// Windows' regional settings for dates and times as GetLocaleInfoEx gives them, in UTF-8: the
// short date format (LOCALE_SSHORTDATE), the long time format (LOCALE_STIMEFORMAT) and the
// designators (LOCALE_S1159, LOCALE_S2359). The separators, the clock and the leading zero of
// the hours are read from the formats themselves, which, unlike the older single settings,
// are what Windows shows in its own time stamps.
struct TWindowsTimeFormats {
  std::string ShortDate;
  std::string TimeFormat;
  std::string AMDesignator;
  std::string PMDesignator;
};

// Windows' format letters (d, M, y; h, H, m, s, t; text in single quotes literal) in the terms
// the update log formats with. Kept apart from the window so that both builds test it.
[[nodiscard]] TLocaleTimeSettings TimeSettingsFromWindows(const TWindowsTimeFormats& AFormats);

}  // namespace app
