#include "platform/TextCodec.h"

namespace platform {

// Built on each system's piecewise conversion. Measured first and then written into a string of
// the final size: the text may be large, and a string grown by doubling would hold up to twice
// its size, and three times while it moves.
std::string AnsiToUtf8(std::string_view ABytes) {
  std::size_t Size = 0;
  AnsiToUtf8(ABytes, [&](std::string_view APiece) { Size += APiece.size(); });
  std::string Result;
  Result.reserve(Size);
  AnsiToUtf8(ABytes, [&](std::string_view APiece) { Result += APiece; });
  return Result;
}

}  // namespace platform
