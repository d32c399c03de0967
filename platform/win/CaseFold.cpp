#include "platform/win/WindowsApi.h"

#include "platform/UpperCaseOf.h"

namespace platform {

// A character outside the basic plane is kept as it is: CharUpperBuffW works on UTF-16 units,
// and the letters we compare are all in the basic plane.
char32_t UpperCaseOf(char32_t ACode) {
  if (ACode >= 0x10000 || (ACode >= 0xD800 && ACode < 0xE000)) {
    return ACode;
  }
  WCHAR Unit = static_cast<WCHAR>(ACode);
  CharUpperBuffW(&Unit, 1);
  return Unit;
}

}  // namespace platform
