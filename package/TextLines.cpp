#include "package/TextLines.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <utility>

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
void DecodeUtf16(TResourceBytes ABytes, bool ABigEndian, const platform::TTextSink& ASink) {
  const size_t Count = ABytes.size() / 2;
  auto Unit = [&](size_t AIndex) -> char32_t {
    const std::uint8_t First = ABytes[2 * AIndex];
    const std::uint8_t Second = ABytes[2 * AIndex + 1];
    return ABigEndian ? char32_t{First} << 8 | Second : char32_t{Second} << 8 | First;
  };
  constexpr size_t PieceSize = 4096;
  std::string Piece;
  Piece.reserve(PieceSize + 4);
  for (size_t I = 0; I < Count; ++I) {
    const char32_t Code = Unit(I);
    if (IsHighSurrogate(Code) && I + 1 < Count && IsLowSurrogate(Unit(I + 1))) {
      platform::AppendUtf8(Piece, 0x10000 + ((Code - 0xD800) << 10) + (Unit(I + 1) - 0xDC00));
      ++I;
    } else if (IsHighSurrogate(Code) || IsLowSurrogate(Code)) {
      platform::AppendUtf8(Piece, ReplacementCharacter);
    } else {
      platform::AppendUtf8(Piece, Code);
    }
    if (Piece.size() >= PieceSize) {
      ASink(Piece);
      Piece.clear();
    }
  }
  if (!Piece.empty()) ASink(Piece);
}

// After its mark a UTF-8 text is all or nothing: the system's strict conversion refuses the
// whole text for a single bad sequence.
bool IsStrictUtf8(std::string_view AText) {
  for (size_t Pos = 0; Pos < AText.size();) {
    const size_t Length = platform::WellFormedUtf8Length(AText, Pos);
    if (Length == 0) {
      return false;
    }
    Pos += Length;
  }
  return true;
}

std::string_view UpToNul(std::string_view AText) { return AText.substr(0, AText.find('\0')); }

// The text the bytes decode to when that is the bytes themselves; nothing when decoding would
// change them.
std::optional<std::string_view> UnchangedByDecoding(TResourceBytes ABytes) {
  if (StartsWith(ABytes, {0xFF, 0xFE}) || StartsWith(ABytes, {0xFE, 0xFF})) {
    return std::nullopt;
  }
  if (StartsWith(ABytes, {0xEF, 0xBB, 0xBF})) {
    const std::string_view Text = AsChars(ABytes.subspan(3));
    return IsStrictUtf8(Text) ? UpToNul(Text) : std::string_view();
  }
  const std::string_view Text = AsChars(ABytes);
  if (platform::AnsiToUtf8KeepsBytes(Text)) return UpToNul(Text);
  return std::nullopt;
}

}  // namespace

void DecodeText(TResourceBytes ABytes, const platform::TTextSink& ASink) {
  // The text is decoded whole before the cut, so a bad sequence behind a NUL still empties a
  // marked UTF-8 text; the other forms replace what is bad and cannot fail as a whole.
  bool NulSeen = false;
  const platform::TTextSink UpToNulSink = [&](std::string_view APiece) {
    if (NulSeen) return;
    if (const size_t Nul = APiece.find('\0'); Nul != std::string_view::npos) {
      NulSeen = true;
      APiece = APiece.substr(0, Nul);
    }
    if (!APiece.empty()) ASink(APiece);
  };
  if (StartsWith(ABytes, {0xFF, 0xFE})) {
    DecodeUtf16(ABytes.subspan(2), false, UpToNulSink);
  } else if (StartsWith(ABytes, {0xFE, 0xFF})) {
    DecodeUtf16(ABytes.subspan(2), true, UpToNulSink);
  } else if (StartsWith(ABytes, {0xEF, 0xBB, 0xBF})) {
    const std::string_view Text = AsChars(ABytes.subspan(3));
    if (IsStrictUtf8(Text)) UpToNulSink(Text);
  } else {
    platform::AnsiToUtf8(AsChars(ABytes), UpToNulSink);
  }
}

std::string DecodeText(TResourceBytes ABytes) {
  // Measured first so that the string is allocated once at its final size: a large text grown
  // by doubling would hold up to twice its size.
  size_t Size = 0;
  DecodeText(ABytes, [&](std::string_view APiece) { Size += APiece.size(); });
  std::string Text;
  Text.reserve(Size);
  DecodeText(ABytes, [&](std::string_view APiece) { Text += APiece; });
  return Text;
}

TDecodedText::TDecodedText(TResourceBytes ABytes) {
  if (const std::optional<std::string_view> Unchanged = UnchangedByDecoding(ABytes)) {
    FText = *Unchanged;
  } else {
    FCopy = DecodeText(ABytes);
    FText = FCopy;
  }
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

void TLineBreakNormalizer::Append(std::string_view APiece) {
  const size_t Size = APiece.size();
  // Runs that need no change, CR LF pairs included, go out as views of the piece.
  size_t RunStart = 0;
  size_t Pos = 0;
  if (FAfterCR && Size > 0 && APiece[0] == '\n') {
    RunStart = Pos = 1;  // the LF of a pair whose CR ended the piece before
  }
  while (Pos < Size) {
    const char Char = APiece[Pos];
    if (Char != '\r' && Char != '\n') {
      ++Pos;
    } else if (Char == '\r' && Pos + 1 < Size && APiece[Pos + 1] == '\n') {
      Pos += 2;
    } else {
      if (Pos > RunStart) FSink(APiece.substr(RunStart, Pos - RunStart));
      FSink("\r\n");
      RunStart = ++Pos;
    }
  }
  if (Pos > RunStart) FSink(APiece.substr(RunStart, Pos - RunStart));
  if (Size > 0) {
    const char Last = APiece[Size - 1];
    FAfterCR = Last == '\r';
    FLineOpen = Last != '\r' && Last != '\n';
  }
}

void TLineBreakNormalizer::Finish() {
  if (FLineOpen) FSink("\r\n");
  FLineOpen = false;
  FAfterCR = false;
}

std::string NormalizeLineBreaks(std::string_view AText) {
  // Sized once and then written: the text may be large and must not be held twice over while
  // it grows. Normalizing only ever adds characters, so an unchanged size is an unchanged text,
  // which is the usual case: the package's texts are CR LF.
  size_t Size = 0;
  TLineBreakNormalizer Measure([&](std::string_view APiece) { Size += APiece.size(); });
  Measure.Append(AText);
  Measure.Finish();
  if (Size == AText.size()) return std::string(AText);
  std::string Result;
  Result.reserve(Size);
  TLineBreakNormalizer Write([&](std::string_view APiece) { Result += APiece; });
  Write.Append(AText);
  Write.Finish();
  return Result;
}

}  // namespace package
