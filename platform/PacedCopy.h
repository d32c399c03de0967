#pragma once

// The copy loop that both systems' file copies share: slices sized by the time they take, and
// the copy's flush to disk overlapping the copying. Only the system calls differ, and they come
// in as functions. For platform/'s own sources.

#include <cstdint>
#include <functional>

#include "platform/FileOperations.h"

namespace platform {

struct TPacedCopySteps {
  // Copies the next ALength bytes at most from the source's position to the target's; the
  // bytes copied (0 when the source ended early), or a negative system error code.
  std::function<std::int64_t(std::uint64_t ALength)> CopySlice;
  // Flushes what was written of the target to disk; 0 or the system's error code. Runs on a
  // thread of its own while CopySlice goes on.
  std::function<int()> Flush;
  // The system's code for a source that became shorter while it was copied.
  int ShortSourceError = 0;
};

// Copies ASize bytes and waits until they are on disk; 0 or the system's error code. Reports
// progress after every slice and while it waits for the disk, at least every few tens of
// milliseconds; an exception from AProgress ends the copy and reaches the caller.
[[nodiscard]] int CopyPaced(std::uint64_t ASize, const TPacedCopySteps& ASteps, const TCopyProgress& AProgress);

}  // namespace platform
