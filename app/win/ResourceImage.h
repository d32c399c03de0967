#pragma once

#include "app/win/WinHandles.h"

namespace app::win {

// The picture in the executable's RCDATA resource AResourceId (any format the system's imaging
// component reads, JPEG among them) as a 24-bit bitmap; none when the resource is missing or
// cannot be read. The calling thread must have COM.
[[nodiscard]] TBitmap LoadResourceImage(int AResourceId);

}  // namespace app::win
