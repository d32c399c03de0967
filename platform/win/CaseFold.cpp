#include "platform/CaseFold.h"

#include "platform/win/WindowsApi.h"

#include "platform/Utf8.h"

namespace platform {
namespace {

// The system's Unicode upper case of one character; a character outside the basic plane is
// kept as it is (CharUpperBuffW works on UTF-16 units, and the letters we compare are all in
// the basic plane).
char32_t UpperCaseOf(char32_t ACode) {
  if (ACode >= 0x10000 || (ACode >= 0xD800 && ACode < 0xE000)) {
    return ACode;
  }
  WCHAR Unit = static_cast<WCHAR>(ACode);
  CharUpperBuffW(&Unit, 1);
  return Unit;
}

}  // namespace

std::string UpperCase(std::string_view AText) {
  std::string Result;
  Result.reserve(AText.size());
  for (std::size_t Pos = 0; Pos < AText.size();) {
    // Only a well-formed sequence is a character: an overlong form such as C0 BD must stay
    // bytes, or it would fold into the ASCII character it spells ("=" here).
    const std::size_t Length = WellFormedUtf8Length(AText, Pos);
    if (Length == 0) {
      Result += AText[Pos++];
      continue;
    }
    const char32_t Code = DecodeUtf8(AText, Pos, Length);
    if (Code < 0x80) {
      Result += static_cast<char>(Code >= 'a' && Code <= 'z' ? Code - 'a' + 'A' : Code);
    } else {
      AppendUtf8(Result, UpperCaseOf(Code));
    }
    Pos += Length;
  }
  return Result;
}

bool SameTextIgnoringCase(std::string_view ALeft, std::string_view ARight) {
  return UpperCase(ALeft) == UpperCase(ARight);
}

}  // namespace platform
