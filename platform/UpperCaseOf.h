#pragma once

namespace platform {

// The Unicode upper case of one character, as the system's case tables give it; each system's
// CaseFold.cpp has its own. UpperCase walks the text and leaves ASCII and invalid bytes to itself.
[[nodiscard]] char32_t UpperCaseOf(char32_t ACode);

}  // namespace platform
