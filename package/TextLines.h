#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "package/UpdatePackage.h"

namespace package {

// Decodes an embedded text by its byte-order mark (UTF-16 LE, UTF-16 BE, UTF-8, looked for in
// that order; the mark is dropped) or, without a mark, from the locale's 8-bit character set,
// and returns it as UTF-8. Strict UTF-8 after its mark: one invalid sequence gives empty text.
// A NUL character ends the text.
[[nodiscard]] std::string DecodeText(TResourceBytes ABytes);

// Cuts text into lines: CR LF, a lone CR and a lone LF each end a line; a last line without a
// break counts; a break at the very end adds no empty line.
[[nodiscard]] std::vector<std::string> SplitLines(std::string_view AText);

// The lines joined again, each one (the last included) followed by CR LF.
[[nodiscard]] std::string JoinLines(const std::vector<std::string>& ALines);

}  // namespace package
