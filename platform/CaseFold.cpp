#include "platform/CaseFold.h"

#include "platform/UpperCaseOf.h"
#include "platform/Utf8.h"

namespace platform {

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
