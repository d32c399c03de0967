#include "package/TextLines.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

#include "platform/TextCodec.h"
#include "platform/Utf8.h"

namespace package {
namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

bool StartsWith(TResourceBytes ABytes, std::initializer_list<std::uint8_t> AMark) {
  return ABytes.size() >= AMark.size() && std::equal(AMark.begin(), AMark.end(), ABytes.begin());
}

std::string_view AsChars(TResourceBytes ABytes) {
  return {reinterpret_cast<const char*>(ABytes.data()), ABytes.size()};
}

bool IsHighSurrogate(char32_t AUnit) { return AUnit >= 0xD800 && AUnit <= 0xDBFF; }
bool IsLowSurrogate(char32_t AUnit) { return AUnit >= 0xDC00 && AUnit <= 0xDFFF; }

// A lone surrogate has no character to stand for; it becomes U+FFFD, as the system's own
// UTF-16 to UTF-8 conversion does. An odd last byte is no code unit and is dropped.
std::string DecodeUtf16(TResourceBytes ABytes, bool ABigEndian) {
  const size_t Count = ABytes.size() / 2;
  auto Unit = [&](size_t AIndex) -> char32_t {
    const std::uint8_t First = ABytes[2 * AIndex];
    const std::uint8_t Second = ABytes[2 * AIndex + 1];
    return ABigEndian ? char32_t{First} << 8 | Second : char32_t{Second} << 8 | First;
  };
  std::string Result;
  Result.reserve(ABytes.size());
  for (size_t I = 0; I < Count; ++I) {
    const char32_t Code = Unit(I);
    if (IsHighSurrogate(Code) && I + 1 < Count && IsLowSurrogate(Unit(I + 1))) {
      platform::AppendUtf8(Result, 0x10000 + ((Code - 0xD800) << 10) + (Unit(I + 1) - 0xDC00));
      ++I;
    } else if (IsHighSurrogate(Code) || IsLowSurrogate(Code)) {
      platform::AppendUtf8(Result, ReplacementCharacter);
    } else {
      platform::AppendUtf8(Result, Code);
    }
  }
  return Result;
}

// The length of the well-formed UTF-8 sequence at APos (the table of the Unicode standard:
// no overlong forms, no surrogates, nothing above U+10FFFF), or 0.
size_t WellFormedLength(TResourceBytes ABytes, size_t APos) {
  const std::uint8_t Lead = ABytes[APos];
  std::uint8_t Low = 0x80;
  std::uint8_t High = 0xBF;
  size_t Length = 0;
  if (Lead < 0x80) {
    return 1;
  } else if (Lead >= 0xC2 && Lead <= 0xDF) {
    Length = 2;
  } else if (Lead >= 0xE0 && Lead <= 0xEF) {
    Length = 3;
    Low = Lead == 0xE0 ? 0xA0 : 0x80;
    High = Lead == 0xED ? 0x9F : 0xBF;
  } else if (Lead >= 0xF0 && Lead <= 0xF4) {
    Length = 4;
    Low = Lead == 0xF0 ? 0x90 : 0x80;
    High = Lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (APos + Length > ABytes.size() || ABytes[APos + 1] < Low || ABytes[APos + 1] > High) {
    return 0;
  }
  for (size_t I = 2; I < Length; ++I) {
    if ((ABytes[APos + I] & 0xC0) != 0x80) {
      return 0;
    }
  }
  return Length;
}

// After its mark a UTF-8 text is all or nothing: the system's strict conversion refuses the
// whole text for a single bad sequence.
std::string DecodeStrictUtf8(TResourceBytes ABytes) {
  for (size_t Pos = 0; Pos < ABytes.size();) {
    const size_t Length = WellFormedLength(ABytes, Pos);
    if (Length == 0) {
      return {};
    }
    Pos += Length;
  }
  return std::string(AsChars(ABytes));
}

std::string DecodeByMark(TResourceBytes ABytes) {
  if (StartsWith(ABytes, {0xFF, 0xFE})) {
    return DecodeUtf16(ABytes.subspan(2), false);
  }
  if (StartsWith(ABytes, {0xFE, 0xFF})) {
    return DecodeUtf16(ABytes.subspan(2), true);
  }
  if (StartsWith(ABytes, {0xEF, 0xBB, 0xBF})) {
    return DecodeStrictUtf8(ABytes.subspan(3));
  }
  return platform::AnsiToUtf8(AsChars(ABytes));
}

}  // namespace

std::string DecodeText(TResourceBytes ABytes) {
  std::string Text = DecodeByMark(ABytes);
  // The text is decoded whole before the cut, so a bad sequence behind a NUL still empties it.
  if (const size_t Nul = Text.find('\0'); Nul != std::string::npos) {
    Text.resize(Nul);
  }
  return Text;
}

std::vector<std::string> SplitLines(std::string_view AText) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  while (Start < AText.size()) {
    const size_t Break = AText.find_first_of("\r\n", Start);
    if (Break == std::string_view::npos) {
      Lines.emplace_back(AText.substr(Start));
      break;
    }
    Lines.emplace_back(AText.substr(Start, Break - Start));
    const bool CrLf = AText[Break] == '\r' && Break + 1 < AText.size() && AText[Break + 1] == '\n';
    Start = Break + (CrLf ? 2 : 1);
  }
  return Lines;
}

std::string JoinLines(const std::vector<std::string>& ALines) {
  size_t Size = 0;
  for (const std::string& Line : ALines) {
    Size += Line.size() + 2;
  }
  std::string Text;
  Text.reserve(Size);
  for (const std::string& Line : ALines) {
    Text += Line;
    Text += "\r\n";
  }
  return Text;
}

}  // namespace package
