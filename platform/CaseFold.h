#pragma once

#include <string>
#include <string_view>

namespace platform {

// Upper-cases UTF-8 text character by character with the Unicode case tables (not only ASCII):
// names typed in any letter case are compared by upper-casing both sides. Invalid UTF-8 bytes
// pass through unchanged.
[[nodiscard]] std::string UpperCase(std::string_view AText);

// True when both texts are equal after UpperCase.
[[nodiscard]] bool SameTextIgnoringCase(std::string_view ALeft, std::string_view ARight);

}  // namespace platform
