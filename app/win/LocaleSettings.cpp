#include "app/win/LocaleSettings.h"

#include <string>

#include "app/WindowsTimeFormats.h"
#include "platform/win/WideText.h"
#include "platform/win/WindowsApi.h"

namespace app::win {
namespace {

// One of the user's locale settings (with the user's own changes to it); empty when Windows
// has none.
std::string UserLocaleText(LCTYPE AType) {
  const int Size = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, AType, nullptr, 0);
  if (Size <= 0) {
    return {};
  }
  std::wstring Text(static_cast<std::size_t>(Size), L'\0');
  const int Written = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, AType, Text.data(), Size);
  Text.resize(Written > 0 ? static_cast<std::size_t>(Written - 1) : 0);  // without the terminating null
  return platform::win::NarrowToUtf8(Text);
}

}  // namespace

TLocaleTimeSettings ReadUserTimeSettings() {
  return TimeSettingsFromWindows({UserLocaleText(LOCALE_SSHORTDATE), UserLocaleText(LOCALE_STIMEFORMAT),
                                  UserLocaleText(LOCALE_S1159), UserLocaleText(LOCALE_S2359)});
}

}  // namespace app::win
