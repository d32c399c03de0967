#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// An exclusive lock on a file, held until the object goes away.
class TFileLock {
public:
  virtual ~TFileLock() = default;
};

// What a file operation did on disk. A rename, link or delete that happened stays done even
// when the flush after it failed, so the caller learns both: Done says which state the folder
// is in now, Error is the system's code of what went wrong (the operation's own when it was not
// done, the flush's when it was), 0 when nothing did.
struct TFileResult {
  bool Done = false;
  int Error = 0;

  [[nodiscard]] bool Succeeded() const { return Done && Error == 0; }
};

// Told after each slice of a copy: the bytes copied so far and the size of the whole file.
using TCopyProgress = std::function<void(std::uint64_t ACopied, std::uint64_t ATotal)>;

// The file operations of a backup and a restore. Everything goes through this interface so that
// a test can make any one of the calls fail, before or after it acted.
class TFileOperations {
public:
  virtual ~TFileOperations() = default;

  // Takes an exclusive lock without waiting (the lock a database engine holds on a file it has
  // open); AError is the code when another process holds it.
  [[nodiscard]] virtual std::unique_ptr<TFileLock> LockExclusive(const std::string& APath, int& AError) = 0;
  // Copies AFrom to the new file ATo, never replacing a file that bears that name. ATo appears
  // only complete and on disk, with the original's permission bits, modification time, and
  // owner where allowed; until then the bytes go to a file that nobody can see, or that is
  // removed on every failure. AProgress, if given, hears after each slice; the slices are kept
  // short so that it is called often.
  [[nodiscard]] virtual TFileResult CopyFileNoReplace(const std::string& AFrom, const std::string& ATo,
                                                      const TCopyProgress& AProgress) = 0;
  // Puts AFrom in the place of ATo in one atomic step: at every moment ATo is either the old
  // file or the new one.
  [[nodiscard]] virtual TFileResult ReplaceFile(const std::string& AFrom, const std::string& ATo) = 0;
  [[nodiscard]] virtual TFileResult DeleteFile(const std::string& APath) = 0;
  // Makes AContents the whole content of APath, replacing it in one atomic step once the new
  // content is on disk.
  [[nodiscard]] virtual TFileResult WriteFileReplacing(const std::string& APath, std::string_view AContents) = 0;

  // ReplaceFile for an ATo that AHold keeps other programs out of: the hold lasts as long as
  // the system lets it and ends with the replace. Windows replaces no file that has a handle
  // open, ours included: there the hold ends just before, and the replace itself fails while
  // another program has the file open.
  [[nodiscard]] TFileResult ReplaceHeldFile(std::unique_ptr<TFileLock> AHold, const std::string& AFrom,
                                            const std::string& ATo);
};

// The real file system, with the calls and the guarantees of the system the program runs on.
class TSystemFileOperations final : public TFileOperations {
public:
  // Without the unnamed temporary file of Linux, as on file systems that lack it: the copy then
  // goes to a hidden temporary name that every failure removes. Windows has no unnamed files
  // and always copies through a temporary name.
  struct TOptions {
    bool UseUnnamedTemporary = true;
  };

  TSystemFileOperations() = default;
  explicit TSystemFileOperations(TOptions AOptions) : FOptions(AOptions) {}

  [[nodiscard]] std::unique_ptr<TFileLock> LockExclusive(const std::string& APath, int& AError) override;
  [[nodiscard]] TFileResult CopyFileNoReplace(const std::string& AFrom, const std::string& ATo,
                                              const TCopyProgress& AProgress) override;
  [[nodiscard]] TFileResult ReplaceFile(const std::string& AFrom, const std::string& ATo) override;
  [[nodiscard]] TFileResult DeleteFile(const std::string& APath) override;
  [[nodiscard]] TFileResult WriteFileReplacing(const std::string& APath, std::string_view AContents) override;

private:
  TOptions FOptions;
};

// The whole content of a small file; none when it does not exist, cannot be read, or is larger
// than AMaxSize bytes.
[[nodiscard]] std::optional<std::string> ReadSmallFile(const std::string& APath, std::size_t AMaxSize);

// The folder part of a path (up to and including the last separator) and the file name.
struct TPathParts {
  std::string Folder;
  std::string FileName;
};
[[nodiscard]] TPathParts SplitPath(const std::string& APath);

}  // namespace platform
