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

namespace platform {
namespace {

// An open file descriptor, closed when it goes out of scope.
class TFileHandle {
public:
  explicit TFileHandle(int AFd = -1) : FFd(AFd) {}
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
  // Closes now and reports the error a delayed write may surface only at close.
  int Close() {
    const int Result = ::close(FFd);
    FFd = -1;
    return Result == 0 ? 0 : errno;
  }

private:
  int FFd;
};

class TPosixFileLock final : public TFileLock {
public:
  explicit TPosixFileLock(int AFd) : FHandle(AFd) {}

private:
  TFileHandle FHandle;  // closing the descriptor releases the lock
};

std::string FolderForSync(const std::string& APath) {
  const TPathParts Parts = SplitPath(APath);
  return Parts.Folder.empty() ? std::string(".") : Parts.Folder;
}

// Makes a rename in the folder of APath survive a crash.
int SyncFolderOf(const std::string& APath) {
  TFileHandle Folder(::open(FolderForSync(APath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!Folder.IsOpen()) {
    return errno;
  }
  return ::fsync(Folder.Get()) == 0 ? 0 : errno;
}

int CopyContents(int ASource, int ATarget, off_t ASize) {
  if (::ioctl(ATarget, FICLONE, ASource) == 0) {
    return 0;
  }
  // In slices, each handed to the disk as soon as it is copied: the flush at the end then has
  // little left to wait for, and a large database is on disk barely later than `cp` is done.
  constexpr off_t Slice = off_t{32} << 20;
  off_t Left = ASize;
  off_t Done = 0;
  while (Left > 0) {
    const ssize_t Copied =
        ::copy_file_range(ASource, nullptr, ATarget, nullptr, static_cast<size_t>(std::min(Left, Slice)), 0);
    if (Copied < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    if (Copied == 0) {
      return EIO;  // the source became shorter while we copied it
    }
    (void)::sync_file_range(ATarget, Done, Copied, SYNC_FILE_RANGE_WRITE);
    Done += Copied;
    Left -= Copied;
  }
  return 0;
}

void KeepOwnerAndMode(int ATarget, const struct stat& ASource) {
  // Only root may give a file away; an ordinary user's copy simply stays the user's own.
  if (::fchown(ATarget, ASource.st_uid, ASource.st_gid) != 0) {
    (void)::fchown(ATarget, static_cast<uid_t>(-1), ASource.st_gid);
  }
  (void)::fchmod(ATarget, ASource.st_mode & 07777);
}

int CopyIntoTemporary(int ASource, const struct stat& ASourceInfo, TFileHandle& Target) {
  if (const int Error = CopyContents(ASource, Target.Get(), ASourceInfo.st_size)) {
    return Error;
  }
  KeepOwnerAndMode(Target.Get(), ASourceInfo);
  if (::fsync(Target.Get()) != 0) {
    return errno;
  }
  return Target.Close();
}

// A new, empty file beside ATarget, hidden and unique; ATemporary receives its name.
TFileHandle CreateTemporaryBeside(const std::string& ATarget, std::string& ATemporary) {
  const TPathParts Parts = SplitPath(ATarget);
  ATemporary = Parts.Folder + "." + Parts.FileName + ".XXXXXX";
  return TFileHandle(::mkostemp(ATemporary.data(), O_CLOEXEC));
}

}  // namespace

TPathParts SplitPath(const std::string& APath) {
#ifdef _WIN32
  const auto Separator = APath.find_last_of("\\:");
#else
  const auto Separator = APath.find_last_of('/');
#endif
  if (Separator == std::string::npos) {
    return {std::string(), APath};
  }
  return {APath.substr(0, Separator + 1), APath.substr(Separator + 1)};
}

std::unique_ptr<TFileLock> TPosixFileOperations::LockExclusive(const std::string& APath, int& AError) {
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

int TPosixFileOperations::MoveFileNoReplace(const std::string& AFrom, const std::string& ATo) {
  if (::renameat2(AT_FDCWD, AFrom.c_str(), AT_FDCWD, ATo.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) {
      return errno;
    }
    // The file system does not know the flag: a hard link cannot replace a file either.
    if (::link(AFrom.c_str(), ATo.c_str()) != 0) {
      return errno;
    }
    if (::unlink(AFrom.c_str()) != 0) {
      const int Error = errno;
      ::unlink(ATo.c_str());
      return Error;
    }
  }
  return SyncFolderOf(ATo);
}

int TPosixFileOperations::CopyFileReplacing(const std::string& AFrom, const std::string& ATo) {
  TFileHandle Source(::open(AFrom.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat SourceInfo {};
  if (!Source.IsOpen() || ::fstat(Source.Get(), &SourceInfo) != 0) {
    return errno;
  }
  std::string Temporary;
  TFileHandle Target = CreateTemporaryBeside(ATo, Temporary);
  if (!Target.IsOpen()) {
    return errno;
  }
  int Error = CopyIntoTemporary(Source.Get(), SourceInfo, Target);
  if (Error == 0 && ::rename(Temporary.c_str(), ATo.c_str()) != 0) {
    Error = errno;
  }
  if (Error != 0) {
    ::unlink(Temporary.c_str());
    return Error;
  }
  return SyncFolderOf(ATo);
}

int TPosixFileOperations::DeleteFile(const std::string& APath) {
  if (::unlink(APath.c_str()) != 0) {
    return errno;
  }
  return SyncFolderOf(APath);
}

}  // namespace platform
