#include "platform/CaseFold.h"
#include "platform/Utf8.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>

namespace platform {
namespace {

// Case tables of Unicode, whatever the user's own locale is; C.UTF-8 is always present.
locale_t UnicodeLocale() {
  static const locale_t Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return Locale;
}

// Decodes one UTF-8 character at APos; returns its length, or 0 for an invalid sequence.
size_t DecodeUtf8(std::string_view AText, size_t APos, char32_t& ACode) {
  const auto Lead = static_cast<std::uint8_t>(AText[APos]);
  size_t Length = 0;
  char32_t Code = 0;
  if (Lead < 0x80) {
    ACode = Lead;
    return 1;
  }
  if ((Lead & 0xE0) == 0xC0) {
    Length = 2;
    Code = Lead & 0x1Fu;
  } else if ((Lead & 0xF0) == 0xE0) {
    Length = 3;
    Code = Lead & 0x0Fu;
  } else if ((Lead & 0xF8) == 0xF0) {
    Length = 4;
    Code = Lead & 0x07u;
  } else {
    return 0;
  }
  if (APos + Length > AText.size()) {
    return 0;
  }
  for (size_t I = 1; I < Length; ++I) {
    const auto Next = static_cast<std::uint8_t>(AText[APos + I]);
    if ((Next & 0xC0) != 0x80) {
      return 0;
    }
    Code = (Code << 6) | (Next & 0x3Fu);
  }
  ACode = Code;
  return Length;
}

}  // namespace

std::string UpperCase(std::string_view AText) {
  std::string Result;
  Result.reserve(AText.size());
  for (size_t Pos = 0; Pos < AText.size();) {
    char32_t Code = 0;
    const size_t Length = DecodeUtf8(AText, Pos, Code);
    if (Length == 0) {
      Result += AText[Pos++];
      continue;
    }
    if (Code < 0x80) {
      Result += static_cast<char>(Code >= 'a' && Code <= 'z' ? Code - 'a' + 'A' : Code);
    } else {
      AppendUtf8(Result, static_cast<char32_t>(towupper_l(static_cast<wint_t>(Code), UnicodeLocale())));
    }
    Pos += Length;
  }
  return Result;
}

bool SameTextIgnoringCase(std::string_view ALeft, std::string_view ARight) {
  return UpperCase(ALeft) == UpperCase(ARight);
}

}  // namespace platform
