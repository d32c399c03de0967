#include "platform/FileOperations.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>

namespace platform {
namespace {

using TClock = std::chrono::steady_clock;

// The longest a copy goes without a word of progress while it waits for the disk.
constexpr std::chrono::milliseconds WaitStretch{20};

// An open file descriptor, closed when it goes out of scope.
class TFileHandle {
public:
  explicit TFileHandle(int AFd = -1) : FFd(AFd) {}
  TFileHandle(TFileHandle&& AOther) noexcept : FFd(std::exchange(AOther.FFd, -1)) {}
  TFileHandle& operator=(TFileHandle&&) = delete;
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle() {
    if (FFd >= 0) {
      ::close(FFd);
    }
  }
  [[nodiscard]] int Get() const { return FFd; }
  [[nodiscard]] bool IsOpen() const { return FFd >= 0; }
  [[nodiscard]] int Release() { return std::exchange(FFd, -1); }

private:
  int FFd;
};

class TPosixFileLock final : public TFileLock {
public:
  explicit TPosixFileLock(int AFd) : FHandle(AFd) {}

private:
  TFileHandle FHandle;  // closing the descriptor releases the lock
};

std::string FolderOf(const std::string& APath) {
  const TPathParts Parts = SplitPath(APath);
  return Parts.Folder.empty() ? std::string(".") : Parts.Folder;
}

// Makes a rename, link or delete in the folder of APath survive a crash.
int SyncFolderOf(const std::string& APath) {
  TFileHandle Folder(::open(FolderOf(APath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!Folder.IsOpen()) {
    return errno;
  }
  return ::fsync(Folder.Get()) == 0 ? 0 : errno;
}

// What an operation that changed a name reports: done, and whether its folder is on disk too.
TFileResult DoneAndSynced(const std::string& APath) { return {true, SyncFolderOf(APath)}; }

TFileResult NotDone(int AError) { return {false, AError}; }

// A hidden temporary name beside a target, removed when the object goes unless kept: no failure
// and no exception leaves it behind.
class TTemporaryName {
public:
  explicit TTemporaryName(const std::string& ATarget) {
    const TPathParts Parts = SplitPath(ATarget);
    FPath = Parts.Folder + "." + Parts.FileName + ".XXXXXX";
  }
  TTemporaryName(const TTemporaryName&) = delete;
  TTemporaryName& operator=(const TTemporaryName&) = delete;
  ~TTemporaryName() {
    if (FCreated) {
      ::unlink(FPath.c_str());
    }
  }
  // Creates the file under a unique name.
  [[nodiscard]] TFileHandle Create() {
    TFileHandle File(::mkostemp(FPath.data(), O_CLOEXEC));
    FCreated = File.IsOpen();
    return File;
  }
  [[nodiscard]] const std::string& Path() const { return FPath; }
  // The file was renamed away: its temporary name is gone already.
  void Forget() { FCreated = false; }

private:
  std::string FPath;
  bool FCreated = false;
};

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
  explicit TBackgroundFlush(int AFile) : FFile(AFile), FThread([this] { FlushWhileCopying(); }) {}
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
      const int Result = ::fdatasync(FFile) == 0 ? 0 : errno;
      Lock.lock();
      FDurable = Target;
      if (Result != 0 && FError == 0) {
        FError = Result;
      }
      FChanged.notify_all();
    }
  }

  int FFile;
  mutable std::mutex FMutex;
  std::condition_variable FChanged;
  std::uint64_t FWritten = 0;
  std::uint64_t FDurable = 0;
  int FError = 0;
  bool FStopping = false;
  std::thread FThread;  // last: started when everything it uses exists
};

// Copies the next ALength bytes from the current positions; the bytes copied, or -errno.
std::int64_t CopySlice(int ASource, int ATarget, std::uint64_t ALength) {
  for (;;) {
    const ssize_t Copied = ::copy_file_range(ASource, nullptr, ATarget, nullptr, static_cast<size_t>(ALength), 0);
    if (Copied >= 0) {
      return Copied;
    }
    if (errno != EINTR) {
      return -errno;
    }
  }
}

void Report(const TCopyProgress& AProgress, std::uint64_t ACopied, std::uint64_t ATotal) {
  if (AProgress) {
    AProgress(ACopied, ATotal);
  }
}

int CopyContents(int ASource, int ATarget, std::uint64_t ASize, const TCopyProgress& AProgress) {
  if (ASize > 0 && ::ioctl(ATarget, FICLONE, ASource) == 0) {
    Report(AProgress, ASize, ASize);
    return 0;
  }
  TSliceSizer Sizer;
  TBackgroundFlush Disk(ATarget);
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
    const std::int64_t Slice = CopySlice(ASource, ATarget, std::min(Sizer.Size(), ASize - Copied));
    if (Slice < 0) {
      return static_cast<int>(-Slice);
    }
    if (Slice == 0) {
      return EIO;  // the source became shorter while we copied it
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

void KeepOwnerModeAndTimes(int ATarget, const struct stat& ASource) {
  // Only root may give a file away; an ordinary user's copy simply stays the user's own.
  if (::fchown(ATarget, ASource.st_uid, ASource.st_gid) != 0) {
    (void)::fchown(ATarget, static_cast<uid_t>(-1), ASource.st_gid);
  }
  (void)::fchmod(ATarget, ASource.st_mode & 07777);
  const struct timespec Times[2] = {ASource.st_atim, ASource.st_mtim};
  (void)::futimens(ATarget, Times);
}

// The copy's bytes, owner, mode and times, all on disk.
int FillCopy(int ASource, const struct stat& ASourceInfo, int ATarget, const TCopyProgress& AProgress) {
  if (const int Error = CopyContents(ASource, ATarget, static_cast<std::uint64_t>(ASourceInfo.st_size), AProgress)) {
    return Error;
  }
  KeepOwnerModeAndTimes(ATarget, ASourceInfo);
  return ::fsync(ATarget) == 0 ? 0 : errno;
}

// An unnamed file in ATarget's folder: it vanishes with its descriptor unless linked under a
// name. Not open when the file system does not offer such files (AError is then 0).
TFileHandle CreateUnnamedBeside(const std::string& ATarget, int& AError) {
  TFileHandle File(::open(FolderOf(ATarget).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, S_IRUSR | S_IWUSR));
  AError = File.IsOpen() || errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? 0 : errno;
  return File;
}

// Gives an unnamed file the name ATo; fails with EEXIST when the name is taken.
int LinkUnnamed(int AFile, const std::string& ATo) {
  const std::string Self = "/proc/self/fd/" + std::to_string(AFile);
  if (::linkat(AT_FDCWD, Self.c_str(), AT_FDCWD, ATo.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return 0;
  }
  const int Error = errno;
  if (Error == ENOENT && ::linkat(AFile, "", AT_FDCWD, ATo.c_str(), AT_EMPTY_PATH) == 0) {
    return 0;  // no /proc, but the right to link by descriptor
  }
  return Error;
}

TFileResult CopyThroughUnnamed(int ASource, const struct stat& ASourceInfo, TFileHandle& ATarget,
                               const std::string& ATo, const TCopyProgress& AProgress) {
  if (const int Error = FillCopy(ASource, ASourceInfo, ATarget.Get(), AProgress)) {
    return NotDone(Error);
  }
  if (const int Error = LinkUnnamed(ATarget.Get(), ATo)) {
    return NotDone(Error);
  }
  return DoneAndSynced(ATo);
}

TFileResult CopyThroughTemporaryName(int ASource, const struct stat& ASourceInfo, const std::string& ATo,
                                     const TCopyProgress& AProgress) {
  TTemporaryName Temporary(ATo);
  const TFileHandle Target = Temporary.Create();
  if (!Target.IsOpen()) {
    return NotDone(errno);
  }
  if (const int Error = FillCopy(ASource, ASourceInfo, Target.Get(), AProgress)) {
    return NotDone(Error);
  }
  // A hard link never replaces a file; the temporary name goes when Temporary does.
  if (::link(Temporary.Path().c_str(), ATo.c_str()) != 0) {
    return NotDone(errno);
  }
  return DoneAndSynced(ATo);
}

int WriteAll(int AFile, std::string_view AContents) {
  while (!AContents.empty()) {
    const ssize_t Written = ::write(AFile, AContents.data(), AContents.size());
    if (Written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    AContents.remove_prefix(static_cast<std::size_t>(Written));
  }
  return 0;
}

}  // namespace

std::unique_ptr<TFileLock> TSystemFileOperations::LockExclusive(const std::string& APath, int& AError) {
  TFileHandle File(::open(APath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!File.IsOpen()) {
    AError = errno;
    return nullptr;
  }
  if (::flock(File.Get(), LOCK_EX | LOCK_NB) != 0) {
    AError = errno;
    return nullptr;
  }
  AError = 0;
  return std::make_unique<TPosixFileLock>(File.Release());
}

TFileResult TSystemFileOperations::CopyFileNoReplace(const std::string& AFrom, const std::string& ATo,
                                                    const TCopyProgress& AProgress) {
  const TFileHandle Source(::open(AFrom.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat SourceInfo {};
  if (!Source.IsOpen() || ::fstat(Source.Get(), &SourceInfo) != 0) {
    return NotDone(errno);
  }
  // The link at the end refuses a taken name too, but only after the whole file was copied.
  struct stat Taken {};
  if (::lstat(ATo.c_str(), &Taken) == 0) {
    return NotDone(EEXIST);
  }
  if (FOptions.UseUnnamedTemporary) {
    int Error = 0;
    TFileHandle Target = CreateUnnamedBeside(ATo, Error);
    if (Target.IsOpen()) {
      return CopyThroughUnnamed(Source.Get(), SourceInfo, Target, ATo, AProgress);
    }
    if (Error != 0) {
      return NotDone(Error);
    }
  }
  return CopyThroughTemporaryName(Source.Get(), SourceInfo, ATo, AProgress);
}

TFileResult TSystemFileOperations::ReplaceFile(const std::string& AFrom, const std::string& ATo) {
  if (::rename(AFrom.c_str(), ATo.c_str()) != 0) {
    return NotDone(errno);
  }
  return DoneAndSynced(ATo);
}

TFileResult TSystemFileOperations::DeleteFile(const std::string& APath) {
  if (::unlink(APath.c_str()) != 0) {
    return NotDone(errno);
  }
  return DoneAndSynced(APath);
}

TFileResult TSystemFileOperations::WriteFileReplacing(const std::string& APath, std::string_view AContents) {
  TTemporaryName Temporary(APath);
  const TFileHandle File = Temporary.Create();
  if (!File.IsOpen()) {
    return NotDone(errno);
  }
  if (const int Error = WriteAll(File.Get(), AContents)) {
    return NotDone(Error);
  }
  (void)::fchmod(File.Get(), S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
  if (::fsync(File.Get()) != 0) {
    return NotDone(errno);
  }
  if (::rename(Temporary.Path().c_str(), APath.c_str()) != 0) {
    return NotDone(errno);
  }
  Temporary.Forget();
  return DoneAndSynced(APath);
}

std::optional<std::string> ReadSmallFile(const std::string& APath, std::size_t AMaxSize) {
  const TFileHandle File(::open(APath.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat Info {};
  if (!File.IsOpen() || ::fstat(File.Get(), &Info) != 0 || !S_ISREG(Info.st_mode) ||
      static_cast<std::uint64_t>(Info.st_size) > AMaxSize) {
    return std::nullopt;
  }
  std::string Contents(static_cast<std::size_t>(Info.st_size), '\0');
  std::size_t Read = 0;
  while (Read < Contents.size()) {
    const ssize_t Got = ::read(File.Get(), Contents.data() + Read, Contents.size() - Read);
    if (Got < 0 && errno == EINTR) {
      continue;
    }
    if (Got <= 0) {
      return std::nullopt;
    }
    Read += static_cast<std::size_t>(Got);
  }
  return Contents;
}

}  // namespace platform
