#include <locale.h>
#include <wctype.h>

#include "platform/UpperCaseOf.h"

namespace platform {
namespace {

// Case tables of Unicode, whatever the user's own locale is; C.UTF-8 is always present.
locale_t UnicodeLocale() {
  static const locale_t Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return Locale;
}

}  // namespace

char32_t UpperCaseOf(char32_t ACode) {
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(ACode), UnicodeLocale()));
}

}  // namespace platform
