#pragma once

#include <memory>
#include <string>

namespace platform {

// An exclusive lock on a file, held until the object goes away.
class TFileLock {
public:
  virtual ~TFileLock() = default;
};

// The file operations of a backup and a restore. Each returns 0 on success or the system's
// error code. Everything goes through this interface so that a test can make any one of the
// calls fail.
class TFileOperations {
public:
  virtual ~TFileOperations() = default;

  // Takes an exclusive lock without waiting (the lock a database engine holds on a file it has
  // open); AError is the code when another process holds it.
  [[nodiscard]] virtual std::unique_ptr<TFileLock> LockExclusive(const std::string& APath, int& AError) = 0;
  // Renames, never replacing a file that already bears the new name.
  [[nodiscard]] virtual int MoveFileNoReplace(const std::string& AFrom, const std::string& ATo) = 0;
  // Copies AFrom to ATo, replacing ATo. ATo never holds a partial copy: the bytes go to a
  // temporary file in ATo's folder that replaces ATo only when it is complete and on disk. The
  // copy keeps the original's permission bits, and its owner and group where allowed.
  [[nodiscard]] virtual int CopyFileReplacing(const std::string& AFrom, const std::string& ATo) = 0;
  [[nodiscard]] virtual int DeleteFile(const std::string& APath) = 0;
};

// The real file system.
class TPosixFileOperations final : public TFileOperations {
public:
  [[nodiscard]] std::unique_ptr<TFileLock> LockExclusive(const std::string& APath, int& AError) override;
  [[nodiscard]] int MoveFileNoReplace(const std::string& AFrom, const std::string& ATo) override;
  [[nodiscard]] int CopyFileReplacing(const std::string& AFrom, const std::string& ATo) override;
  [[nodiscard]] int DeleteFile(const std::string& APath) override;
};

// The folder part of a path (up to and including the last separator) and the file name.
struct TPathParts {
  std::string Folder;
  std::string FileName;
};
[[nodiscard]] TPathParts SplitPath(const std::string& APath);

}  // namespace platform
