#include "platform/TextCodec.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <stdexcept>

#include "platform/Utf8.h"

namespace platform {
namespace {

class TIconv {
public:
  TIconv(const std::string& AFrom, const std::string& ATo)
      : FHandle(iconv_open(ATo.c_str(), AFrom.c_str())) {
    if (FHandle == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error("No conversion from " + AFrom + " to " + ATo);
    }
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  ~TIconv() { iconv_close(FHandle); }

  // Converts the whole input; an input sequence that does not convert is replaced by
  // AReplacement and skipped: one byte, or one whole character when the input is UTF-8.
  void Convert(std::string_view AInput, std::string_view AReplacement, bool AInputIsUtf8,
               const TTextSink& ASink) {
    char* In = const_cast<char*>(AInput.data());
    size_t InLeft = AInput.size();
    char Buffer[4096];
    while (InLeft > 0) {
      char* Out = Buffer;
      size_t OutLeft = sizeof Buffer;
      const size_t Result = iconv(FHandle, &In, &InLeft, &Out, &OutLeft);
      if (Out != Buffer) {
        ASink(std::string_view(Buffer, static_cast<size_t>(Out - Buffer)));
      }
      if (Result != static_cast<size_t>(-1)) {
        break;
      }
      if (errno == E2BIG) {
        continue;
      }
      // EILSEQ, or EINVAL for a sequence cut off at the end of the input.
      ASink(AReplacement);
      do {
        ++In;
        --InLeft;
      } while (AInputIsUtf8 && InLeft > 0 && (static_cast<unsigned char>(*In) & 0xC0) == 0x80);
      iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
    }
  }

private:
  iconv_t FHandle;
};

bool IsUtf8(const std::string& ACharset) { return ACharset == "UTF-8" || ACharset == "utf8"; }

bool IsAscii(std::string_view ABytes) {
  for (const char Byte : ABytes) {
    if (static_cast<unsigned char>(Byte) >= 0x80) return false;
  }
  return true;
}

// Whether the character set reads every ASCII byte as itself, asked of iconv rather than
// assumed, since some sets put other characters there.
bool KeepsAscii(const std::string& ACharset) {
  std::string Ascii;
  for (int Byte = 0; Byte < 0x80; ++Byte) Ascii += static_cast<char>(Byte);
  std::string Converted;
  TIconv(ACharset, "UTF-8").Convert(Ascii, ReplacementCharacter, false,
                                    [&](std::string_view APiece) { Converted += APiece; });
  return Converted == Ascii;
}

}  // namespace

std::string LocaleCharset() { return nl_langinfo(CODESET); }

void AnsiToUtf8(std::string_view ABytes, const TTextSink& ASink) {
  const std::string Charset = LocaleCharset();
  if (IsUtf8(Charset)) {
    // Checked rather than converted: iconv's own UTF-8 decoder lets sequences through that are
    // not UTF-8 (code points above U+10FFFF among them).
    ReplaceIllFormedUtf8(ABytes, ASink);
  } else {
    TIconv(Charset, "UTF-8").Convert(ABytes, ReplacementCharacter, false, ASink);
  }
}

bool AnsiToUtf8KeepsBytes(std::string_view ABytes) {
  const std::string Charset = LocaleCharset();
  if (IsUtf8(Charset)) return IsWellFormedUtf8(ABytes);
  return IsAscii(ABytes) && KeepsAscii(Charset);
}

std::string Utf8ToAnsi(std::string_view AText) {
  const std::string Charset = LocaleCharset();
  if (IsUtf8(Charset)) {
    return std::string(AText);
  }
  std::string Output;
  Output.reserve(AText.size());
  TIconv("UTF-8", Charset).Convert(AText, "?", true,
                                   [&](std::string_view APiece) { Output += APiece; });
  return Output;
}

}  // namespace platform
