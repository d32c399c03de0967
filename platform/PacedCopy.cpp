#include "platform/PacedCopy.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {
namespace {

using TClock = std::chrono::steady_clock;

// The longest a copy goes without a word of progress while it waits for the disk.
constexpr std::chrono::milliseconds WaitStretch{20};

// Slices of a copy sized so that each takes about SliceTime, whatever the disk's speed: whoever
// listens to the progress hears from the copy that often.
class TSliceSizer {
public:
  [[nodiscard]] std::uint64_t Size() const { return FSize; }
  void Took(TClock::duration ATime) {
    const auto Nanoseconds = std::max<std::int64_t>(1, std::chrono::nanoseconds(ATime).count());
    const auto Target = std::chrono::nanoseconds(SliceTime).count();
    // Grows at most twofold and shrinks at most fourfold a step: one odd slice does not swing it.
    const double Factor = std::clamp(static_cast<double>(Target) / static_cast<double>(Nanoseconds), 0.25, 2.0);
    FSize = std::clamp(static_cast<std::uint64_t>(static_cast<double>(FSize) * Factor), MinSlice, MaxSlice);
  }

private:
  static constexpr auto SliceTime = std::chrono::milliseconds(15);
  static constexpr std::uint64_t MinSlice = std::uint64_t{256} << 10;
  static constexpr std::uint64_t MaxSlice = std::uint64_t{32} << 20;
  std::uint64_t FSize = std::uint64_t{1} << 20;
};

// Flushes a file on a thread of its own while the copy goes on, so that the disk's flush overlaps
// the copying instead of following it: a copy is not made until it is on disk, and flushing a
// large file at the end in one call would keep the caller from hearing anything for as long as
// the disk takes. The copy stays at most WriteBehind bytes ahead of what is on disk.
class TBackgroundFlush {
public:
  explicit TBackgroundFlush(const std::function<int()>& AFlush)
      : FFlush(AFlush), FThread([this] { FlushWhileCopying(); }) {}
  TBackgroundFlush(const TBackgroundFlush&) = delete;
  TBackgroundFlush& operator=(const TBackgroundFlush&) = delete;
  ~TBackgroundFlush() {
    {
      const std::lock_guard Lock(FMutex);
      FStopping = true;
    }
    FChanged.notify_all();
    FThread.join();
  }

  // The copy has reached AEnd.
  void Written(std::uint64_t AEnd) {
    {
      const std::lock_guard Lock(FMutex);
      FWritten = AEnd;
    }
    FChanged.notify_all();
  }
  // Waits at most AMaxWait for the copy to be close enough to the disk to go on, or, with
  // AAll, for all of it to be on disk. True when it is; false to hear again after a while.
  [[nodiscard]] bool Wait(bool AAll, std::chrono::milliseconds AMaxWait) {
    std::unique_lock Lock(FMutex);
    return FChanged.wait_for(Lock, AMaxWait, [&] {
      return FError != 0 || FDurable + (AAll ? 0 : WriteBehind) >= FWritten;
    });
  }
  // The first error a flush met, 0 if none.
  [[nodiscard]] int Error() const {
    const std::lock_guard Lock(FMutex);
    return FError;
  }

private:
  static constexpr std::uint64_t WriteBehind = std::uint64_t{128} << 20;

  void FlushWhileCopying() {
    std::unique_lock Lock(FMutex);
    for (;;) {
      FChanged.wait(Lock, [&] { return FStopping || FWritten > FDurable; });
      if (FStopping) {
        return;
      }
      const std::uint64_t Target = FWritten;
      Lock.unlock();
      const int Result = FFlush();
      Lock.lock();
      FDurable = Target;
      if (Result != 0 && FError == 0) {
        FError = Result;
      }
      FChanged.notify_all();
    }
  }

  const std::function<int()>& FFlush;
  mutable std::mutex FMutex;
  std::condition_variable FChanged;
  std::uint64_t FWritten = 0;
  std::uint64_t FDurable = 0;
  int FError = 0;
  bool FStopping = false;
  std::thread FThread;  // last: started when everything it uses exists
};

void Report(const TCopyProgress& AProgress, std::uint64_t ACopied, std::uint64_t ATotal) {
  if (AProgress) {
    AProgress(ACopied, ATotal);
  }
}

}  // namespace

int CopyPaced(std::uint64_t ASize, const TPacedCopySteps& ASteps, const TCopyProgress& AProgress) {
  TSliceSizer Sizer;
  TBackgroundFlush Disk(ASteps.Flush);
  // Waits for the disk in short stretches, telling the listener in between.
  const auto WaitForDisk = [&](bool AAll, std::uint64_t ACopied) {
    while (!Disk.Wait(AAll, WaitStretch)) {
      Report(AProgress, ACopied, ASize);
    }
    return Disk.Error();
  };
  std::uint64_t Copied = 0;
  while (Copied < ASize) {
    const auto Start = TClock::now();
    const std::int64_t Slice = ASteps.CopySlice(std::min(Sizer.Size(), ASize - Copied));
    if (Slice < 0) {
      return static_cast<int>(-Slice);
    }
    if (Slice == 0) {
      return ASteps.ShortSourceError;
    }
    Copied += static_cast<std::uint64_t>(Slice);
    Sizer.Took(TClock::now() - Start);
    Disk.Written(Copied);
    Report(AProgress, Copied, ASize);
    if (const int Error = WaitForDisk(false, Copied)) {
      return Error;
    }
  }
  return WaitForDisk(true, Copied);
}

}  // namespace platform
