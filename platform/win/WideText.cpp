#include "platform/win/WideText.h"

#include "platform/Utf8.h"

namespace platform::win {

// Written out rather than through MultiByteToWideChar(CP_UTF8): the same rules for ill-formed
// input as the rest of the program (platform/Utf8.h), whatever the Windows version.
std::wstring WidenUtf8(std::string_view AText) {
  std::wstring Result;
  Result.reserve(AText.size());
  for (std::size_t Pos = 0; Pos < AText.size();) {
    const std::size_t Length = WellFormedUtf8Length(AText, Pos);
    char32_t Code = 0xFFFD;
    if (Length == 0) {
      Pos += IllFormedUtf8Length(AText, Pos);
    } else {
      Code = DecodeUtf8(AText, Pos, Length);
      Pos += Length;
    }
    if (Code >= 0x10000) {
      Code -= 0x10000;
      Result += static_cast<wchar_t>(0xD800 + (Code >> 10));
      Result += static_cast<wchar_t>(0xDC00 + (Code & 0x3FF));
    } else {
      Result += static_cast<wchar_t>(Code);
    }
  }
  return Result;
}

std::string NarrowToUtf8(std::wstring_view AText) {
  std::string Result;
  Result.reserve(AText.size());
  for (std::size_t Pos = 0; Pos < AText.size(); ++Pos) {
    const auto Unit = static_cast<char32_t>(AText[Pos]);
    if (Unit >= 0xD800 && Unit < 0xDC00 && Pos + 1 < AText.size()) {
      const auto Next = static_cast<char32_t>(AText[Pos + 1]);
      if (Next >= 0xDC00 && Next < 0xE000) {
        AppendUtf8(Result, 0x10000 + ((Unit - 0xD800) << 10) + (Next - 0xDC00));
        ++Pos;
        continue;
      }
    }
    AppendUtf8(Result, Unit >= 0xD800 && Unit < 0xE000 ? char32_t{0xFFFD} : Unit);
  }
  return Result;
}

}  // namespace platform::win
