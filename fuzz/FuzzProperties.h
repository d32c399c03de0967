#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The properties the fuzz targets check, one per parser. Each takes the raw input of one run,
// derives the parser's arguments from it, and stops the process with a message on stderr when
// the result breaks the parser's contract. The fuzz targets call them under libFuzzer; the
// ordinary tests replay the saved inputs of fuzz/regressions and fuzz/corpus through them.
namespace fuzz {

using TInput = std::span<const std::uint8_t>;

struct TProperty {
  std::string_view FName;  // also the folder name of the target's corpus and regressions
  void (*FCheck)(TInput AInput);
};

// Input layouts: where a property needs more than one argument, the first bytes choose them.
//  decode_text:      byte 0 even: "C" locale, odd: "C.UTF-8"; the rest is the resource.
//  split_lines:      the text.
//  ini_file:         the descriptor text.
//  load_update_info: byte 0 as in decode_text, bytes 1-2 the descriptor's length (little
//                    endian, cut to what is there), then the descriptor, then the script.
//  split_text:       byte 0 the delimiter's length (mod 16), then the delimiter, then the text.
//  script_cutter:    byte 0 the terminator's length (mod 8; 0 gives ";"), then the terminator,
//                    then the script.
//  colon_names:      the statement.
[[nodiscard]] std::span<const TProperty> Properties();

// Called when a property breaks. The default prints the property and what broke on stderr and
// aborts, which is how libFuzzer learns of a finding; the replay test throws instead, so that
// it can name the input file.
using TFailureHandler = void (*)(std::string_view AProperty, std::string_view AWhat);
void SetFailureHandler(TFailureHandler AHandler);

void CheckDecodeText(TInput AInput);
void CheckSplitLines(TInput AInput);
void CheckIniFile(TInput AInput);
void CheckLoadUpdateInfo(TInput AInput);
void CheckSplitText(TInput AInput);
void CheckScriptCutter(TInput AInput);
void CheckColonNames(TInput AInput);

}  // namespace fuzz
