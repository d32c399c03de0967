#pragma once

#include <string>
#include <string_view>

namespace platform {

// Inside the program text is UTF-8. The outside world of an unmarked text (embedded package
// texts, the database client library with connection character set NONE) speaks the 8-bit
// character set of the user's locale; these two functions cross that border.

// Bytes in the locale's character set to UTF-8; a byte that does not convert becomes U+FFFD.
[[nodiscard]] std::string AnsiToUtf8(std::string_view ABytes);

// UTF-8 to the locale's character set; a character the set lacks becomes "?".
[[nodiscard]] std::string Utf8ToAnsi(std::string_view AText);

// The name of the locale's character set as iconv knows it ("UTF-8", "CP1251", ...).
[[nodiscard]] std::string LocaleCharset();

}  // namespace platform
