#include "platform/TextCodec.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <stdexcept>

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
  std::string Convert(std::string_view AInput, std::string_view AReplacement, bool AInputIsUtf8) {
    std::string Output;
    Output.reserve(AInput.size() + AInput.size() / 2);
    char* In = const_cast<char*>(AInput.data());
    size_t InLeft = AInput.size();
    char Buffer[4096];
    while (InLeft > 0) {
      char* Out = Buffer;
      size_t OutLeft = sizeof Buffer;
      const size_t Result = iconv(FHandle, &In, &InLeft, &Out, &OutLeft);
      Output.append(Buffer, static_cast<size_t>(Out - Buffer));
      if (Result != static_cast<size_t>(-1)) {
        break;
      }
      if (errno == E2BIG) {
        continue;
      }
      // EILSEQ, or EINVAL for a sequence cut off at the end of the input.
      Output.append(AReplacement);
      do {
        ++In;
        --InLeft;
      } while (AInputIsUtf8 && InLeft > 0 && (static_cast<unsigned char>(*In) & 0xC0) == 0x80);
      iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
    }
    return Output;
  }

private:
  iconv_t FHandle;
};

bool IsUtf8(const std::string& ACharset) { return ACharset == "UTF-8" || ACharset == "utf8"; }

}  // namespace

std::string LocaleCharset() { return nl_langinfo(CODESET); }

std::string AnsiToUtf8(std::string_view ABytes) {
  return TIconv(LocaleCharset(), "UTF-8").Convert(ABytes, "\xEF\xBF\xBD", false);
}

std::string Utf8ToAnsi(std::string_view AText) {
  const std::string Charset = LocaleCharset();
  if (IsUtf8(Charset)) {
    return std::string(AText);
  }
  return TIconv("UTF-8", Charset).Convert(AText, "?", true);
}

}  // namespace platform
