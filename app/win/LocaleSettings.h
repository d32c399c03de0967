#pragma once

#include "app/UpdateLog.h"

namespace app::win {

// The user's regional settings for dates and times as Windows has them now.
[[nodiscard]] TLocaleTimeSettings ReadUserTimeSettings();

}  // namespace app::win
