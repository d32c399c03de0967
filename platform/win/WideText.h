#pragma once

// For the Windows sources (platform/, the window): the border between the program's UTF-8 and the
// UTF-16 that the W functions take. Windows' own header stays out of here.

#include <string>
#include <string_view>

namespace platform::win {

// UTF-8 to UTF-16; an ill-formed sequence becomes U+FFFD (a path with one then names no file).
[[nodiscard]] std::wstring WidenUtf8(std::string_view AText);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string NarrowToUtf8(std::wstring_view AText);

}  // namespace platform::win
