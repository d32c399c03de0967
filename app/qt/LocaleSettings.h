#pragma once

#include <QLocale>

#include "app/UpdateLog.h"

namespace app {

// The date and time settings of a Qt locale, in the terms the update log formats with.
[[nodiscard]] TLocaleTimeSettings ReadTimeSettings(const QLocale& ALocale);

}  // namespace app
