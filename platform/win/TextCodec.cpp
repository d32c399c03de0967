#include "platform/TextCodec.h"

#include "platform/win/WindowsApi.h"

#include <array>

#include "platform/Utf8.h"
#include "platform/win/WideText.h"

namespace platform {
namespace {

bool IsUtf8CodePage() { return GetACP() == CP_UTF8; }

// The character that ALength bytes stand for in the ANSI code page, or none when they form
// no character there. MB_ERR_INVALID_CHARS: without it Windows maps unassigned bytes to
// characters of its own choosing instead of failing.
bool DecodeAnsi(const char* ABytes, int ALength, std::wstring& AOut) {
  wchar_t Wide[4];
  const int Count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ABytes, ALength, Wide, 4);
  if (Count <= 0) {
    return false;
  }
  AOut.assign(Wide, static_cast<std::size_t>(Count));
  return true;
}

// A single-byte code page as a table from byte to UTF-8, built once: the ANSI code page does not
// change while a process runs.
struct TByteTable {
  bool SingleByte = false;
  std::array<std::string, 256> Text;
};

const TByteTable& ByteTable() {
  static const TByteTable Table = [] {
    TByteTable Result;
    CPINFO Info{};
    Result.SingleByte = GetCPInfo(CP_ACP, &Info) && Info.MaxCharSize == 1;
    std::wstring Wide;
    for (int Byte = 0; Byte < 256; ++Byte) {
      const char Single = static_cast<char>(Byte);
      // Windows gives the unassigned bytes of its code pages (0x81 in 1252, for one) the C1
      // control of the same number instead of failing: those are gaps, not characters.
      const bool Decoded = DecodeAnsi(&Single, 1, Wide) &&
                           !(Byte >= 0x80 && Wide.size() == 1 && Wide[0] >= 0x80 && Wide[0] < 0xA0);
      Result.Text[static_cast<std::size_t>(Byte)] =
          Decoded ? win::NarrowToUtf8(Wide) : std::string(ReplacementCharacter);
    }
    return Result;
  }();
  return Table;
}

// Whole characters of a multi-byte code page (Japanese, Chinese, Korean): a lead byte with the
// byte after it, or a single byte; each that forms no character becomes one U+FFFD.
void DecodeMultiByte(std::string_view ABytes, const TTextSink& ASink) {
  std::string Piece;
  std::wstring Wide;
  for (std::size_t Pos = 0; Pos < ABytes.size();) {
    const auto Byte = static_cast<BYTE>(ABytes[Pos]);
    if (Byte < 0x80) {
      Piece += ABytes[Pos++];
    } else if (IsDBCSLeadByteEx(CP_ACP, Byte) && Pos + 1 < ABytes.size() &&
               DecodeAnsi(ABytes.data() + Pos, 2, Wide)) {
      Piece += win::NarrowToUtf8(Wide);
      Pos += 2;
    } else {
      Piece += ByteTable().Text[Byte];
      ++Pos;
    }
    if (Piece.size() >= 4096) {
      ASink(Piece);
      Piece.clear();
    }
  }
  if (!Piece.empty()) ASink(Piece);
}

}  // namespace

std::string LocaleCharset() {
  const UINT CodePage = GetACP();
  return CodePage == CP_UTF8 ? std::string("UTF-8") : "CP" + std::to_string(CodePage);
}

void AnsiToUtf8(std::string_view ABytes, const TTextSink& ASink) {
  if (IsUtf8CodePage()) {
    ReplaceIllFormedUtf8(ABytes, ASink);
    return;
  }
  const TByteTable& Table = ByteTable();
  if (!Table.SingleByte) {
    DecodeMultiByte(ABytes, ASink);
    return;
  }
  std::string Piece;
  for (const char Byte : ABytes) {
    Piece += Table.Text[static_cast<unsigned char>(Byte)];
    if (Piece.size() >= 4096) {
      ASink(Piece);
      Piece.clear();
    }
  }
  if (!Piece.empty()) ASink(Piece);
}

bool AnsiToUtf8KeepsBytes(std::string_view ABytes) {
  if (IsUtf8CodePage()) return IsWellFormedUtf8(ABytes);
  // Asked of the code page rather than assumed: some put other characters on ASCII bytes.
  const TByteTable& Table = ByteTable();
  for (const char Byte : ABytes) {
    const auto Code = static_cast<unsigned char>(Byte);
    if (Code >= 0x80 || Table.Text[Code] != std::string_view(&Byte, 1)) return false;
  }
  return true;
}

std::string Utf8ToAnsi(std::string_view AText) {
  if (IsUtf8CodePage()) {
    return std::string(AText);
  }
  const std::wstring Wide = win::WidenUtf8(AText);
  if (Wide.empty()) {
    return {};
  }
  // WC_NO_BEST_FIT_CHARS: a character the code page lacks becomes "?", never a look-alike
  // ("ä" to "a") that would silently change a name.
  const auto WideLength = static_cast<int>(Wide.size());
  const int Size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.data(), WideLength, nullptr, 0, "?", nullptr);
  std::string Result(static_cast<std::size_t>(Size > 0 ? Size : 0), '\0');
  if (Size > 0) {
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Wide.data(), WideLength, Result.data(), Size, "?", nullptr);
  }
  return Result;
}

}  // namespace platform
