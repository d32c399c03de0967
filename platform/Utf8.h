#pragma once

#include <string>

namespace platform {

// Appends one Unicode character to UTF-8 text.
void AppendUtf8(std::string& AOut, char32_t ACode);

}  // namespace platform
