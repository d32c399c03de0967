#include "platform/FileOperations.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/PacedCopy.h"

namespace platform {
namespace {

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

int CopyContents(int ASource, int ATarget, std::uint64_t ASize, const TCopyProgress& AProgress) {
  if (ASize > 0 && ::ioctl(ATarget, FICLONE, ASource) == 0) {
    if (AProgress) {
      AProgress(ASize, ASize);
    }
    return 0;
  }
  const TPacedCopySteps Steps{
      [&](std::uint64_t ALength) { return CopySlice(ASource, ATarget, ALength); },
      [&] { return ::fdatasync(ATarget) == 0 ? 0 : errno; },
      EIO};
  return CopyPaced(ASize, Steps, AProgress);
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
