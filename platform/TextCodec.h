#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Inside the program text is UTF-8. The outside world of an unmarked text (embedded package
// texts, the database client library with connection character set NONE) speaks the 8-bit
// character set of the user's locale; these functions cross that border.

// Receives a converted text piece by piece; a piece is valid only during the call.
using TTextSink = std::function<void(std::string_view)>;

// Bytes in the locale's character set to UTF-8. What does not convert becomes U+FFFD: a byte in
// an 8-bit set; in a UTF-8 locale each ill-formed sequence (its longest start of a well-formed
// one, or a single byte), so that no invalid UTF-8 ever passes.
[[nodiscard]] std::string AnsiToUtf8(std::string_view ABytes);
void AnsiToUtf8(std::string_view ABytes, const TTextSink& ASink);

// True when AnsiToUtf8 would give ABytes back unchanged, so that a caller may keep the bytes
// instead of a converted copy.
[[nodiscard]] bool AnsiToUtf8KeepsBytes(std::string_view ABytes);

// UTF-8 to the locale's character set; a character the set lacks becomes "?".
[[nodiscard]] std::string Utf8ToAnsi(std::string_view AText);

// The name of the locale's character set as iconv knows it ("UTF-8", "CP1251", ...).
[[nodiscard]] std::string LocaleCharset();

}  // namespace platform
