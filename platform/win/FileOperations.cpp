#include "platform/FileOperations.h"

#include "platform/win/WindowsApi.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "platform/PacedCopy.h"
#include "platform/win/WideText.h"

namespace platform {
namespace {

// The most one read or write of a small file asks for.
constexpr DWORD SliceSize = DWORD{1} << 20;

int LastError() { return static_cast<int>(GetLastError()); }

TFileResult NotDone(int AError) { return {false, AError}; }

// An open file handle, closed when it goes out of scope.
class THandle {
public:
  explicit THandle(HANDLE AHandle = INVALID_HANDLE_VALUE) : FHandle(AHandle) {}
  THandle(THandle&& AOther) noexcept : FHandle(std::exchange(AOther.FHandle, INVALID_HANDLE_VALUE)) {}
  THandle& operator=(THandle&& AOther) noexcept {
    if (this != &AOther) {
      Close();
      FHandle = std::exchange(AOther.FHandle, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  ~THandle() { Close(); }
  [[nodiscard]] HANDLE Get() const { return FHandle; }
  [[nodiscard]] bool IsOpen() const { return FHandle != INVALID_HANDLE_VALUE; }
  void Close() {
    if (IsOpen()) {
      CloseHandle(std::exchange(FHandle, INVALID_HANDLE_VALUE));
    }
  }

private:
  HANDLE FHandle;
};

class TWindowsFileLock final : public TFileLock {
public:
  explicit TWindowsFileLock(THandle AHandle) : FHandle(std::move(AHandle)) {}

private:
  THandle FHandle;  // closing the handle ends the lock
};

// A temporary name beside a target, removed when the object goes unless the file was moved
// away: no failure and no exception leaves it behind. The file must be closed before that, as
// Windows does not delete a file that is open.
class TTemporaryFile {
public:
  explicit TTemporaryFile(const std::string& ATarget) : FTarget(ATarget) {}
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;
  ~TTemporaryFile() {
    FFile.Close();
    if (FCreated) {
      DeleteFileW(FPath.c_str());
    }
  }
  // Creates the file for writing under a name nobody else holds; false with the system's code
  // in GetLastError() when that fails.
  [[nodiscard]] bool Create() {
    static std::atomic<unsigned> Counter{0};
    const TPathParts Parts = SplitPath(FTarget);
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
      const unsigned Unique = static_cast<unsigned>(GetCurrentProcessId()) * 7919U +
                              static_cast<unsigned>(GetTickCount64()) + Counter.fetch_add(1);
      FPath = win::WidenUtf8(Parts.Folder + "." + Parts.FileName + "." + std::to_string(Unique % 1000000U) + ".tmp");
      // Shared so that the copy can flush through a second handle of its own.
      FFile = THandle(CreateFileW(FPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (FFile.IsOpen()) {
        FCreated = true;
        return true;
      }
      if (GetLastError() != ERROR_FILE_EXISTS) {
        return false;
      }
    }
    return false;
  }
  [[nodiscard]] HANDLE File() const { return FFile.Get(); }
  // Another handle of the file for writing; closed before the file is moved or removed.
  [[nodiscard]] THandle OpenAgain() const {
    return THandle(CreateFileW(FPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  // Closes the file and gives it the target's name; the system's code when that fails.
  [[nodiscard]] int MoveToTarget(DWORD AFlags) {
    FFile.Close();
    if (!MoveFileExW(FPath.c_str(), win::WidenUtf8(FTarget).c_str(), AFlags)) {
      return LastError();
    }
    FCreated = false;
    return 0;
  }

private:
  std::string FTarget;
  std::wstring FPath;
  THandle FFile;
  bool FCreated = false;
};

THandle OpenForReading(const std::string& APath, DWORD AShare) {
  return THandle(CreateFileW(win::WidenUtf8(APath).c_str(), GENERIC_READ, AShare, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

int WriteAll(HANDLE AFile, const char* AData, std::size_t ASize) {
  while (ASize > 0) {
    const DWORD Chunk = static_cast<DWORD>(std::min<std::size_t>(ASize, SliceSize));
    DWORD Written = 0;
    if (!WriteFile(AFile, AData, Chunk, &Written, nullptr)) {
      return LastError();
    }
    AData += Written;
    ASize -= Written;
  }
  return 0;
}

// Copies the next ALength bytes at most through ABuffer; the bytes copied, or the negative
// system code.
std::int64_t CopySlice(HANDLE ASource, HANDLE ATarget, std::uint64_t ALength, std::string& ABuffer) {
  const DWORD Wanted = static_cast<DWORD>(std::min<std::uint64_t>(ALength, MAXDWORD));
  if (ABuffer.size() < Wanted) {
    ABuffer.resize(Wanted);
  }
  DWORD Read = 0;
  if (!ReadFile(ASource, ABuffer.data(), Wanted, &Read, nullptr)) {
    return -LastError();
  }
  if (const int Error = WriteAll(ATarget, ABuffer.data(), Read)) {
    return -Error;
  }
  return Read;
}

// AFlushHandle is a second handle of the target: the flush runs beside the copy's writes, and
// Windows would make the two wait for each other on one synchronous handle. A flush through any
// handle writes out all of the file's cached data.
int CopyContents(HANDLE ASource, HANDLE ATarget, HANDLE AFlushHandle, std::uint64_t ASize,
                 const TCopyProgress& AProgress) {
  std::string Buffer;
  const TPacedCopySteps Steps{
      [&](std::uint64_t ALength) { return CopySlice(ASource, ATarget, ALength, Buffer); },
      [&] { return FlushFileBuffers(AFlushHandle) ? 0 : LastError(); },
      ERROR_HANDLE_EOF};
  return CopyPaced(ASize, Steps, AProgress);
}

}  // namespace

std::unique_ptr<TFileLock> TSystemFileOperations::LockExclusive(const std::string& APath, int& AError) {
  // Sharing with readers only: the open fails with ERROR_SHARING_VIOLATION while anyone has the
  // file open for writing, and nobody can open it for writing while we hold it.
  THandle File = OpenForReading(APath, FILE_SHARE_READ);
  if (!File.IsOpen()) {
    AError = LastError();
    return nullptr;
  }
  AError = 0;
  return std::make_unique<TWindowsFileLock>(std::move(File));
}

TFileResult TSystemFileOperations::CopyFileNoReplace(const std::string& AFrom, const std::string& ATo,
                                                     const TCopyProgress& AProgress) {
  const THandle Source = OpenForReading(AFrom, FILE_SHARE_READ | FILE_SHARE_WRITE);
  LARGE_INTEGER Size{};
  FILETIME Created{}, Accessed{}, Modified{};
  if (!Source.IsOpen() || !GetFileSizeEx(Source.Get(), &Size) ||
      !GetFileTime(Source.Get(), &Created, &Accessed, &Modified)) {
    return NotDone(LastError());
  }
  // The move at the end refuses a taken name too, but only after the whole file was copied.
  if (GetFileAttributesW(win::WidenUtf8(ATo).c_str()) != INVALID_FILE_ATTRIBUTES) {
    return NotDone(ERROR_ALREADY_EXISTS);
  }
  TTemporaryFile Temporary(ATo);
  if (!Temporary.Create()) {
    return NotDone(LastError());
  }
  {
    const THandle FlushHandle = Temporary.OpenAgain();
    if (!FlushHandle.IsOpen()) {
      return NotDone(LastError());
    }
    if (const int Error = CopyContents(Source.Get(), Temporary.File(), FlushHandle.Get(),
                                       static_cast<std::uint64_t>(Size.QuadPart), AProgress)) {
      return NotDone(Error);
    }
  }
  if (!SetFileTime(Temporary.File(), &Created, &Accessed, &Modified) || !FlushFileBuffers(Temporary.File())) {
    return NotDone(LastError());
  }
  // Without MOVEFILE_REPLACE_EXISTING the move fails when the name was taken meanwhile.
  if (const int Error = Temporary.MoveToTarget(MOVEFILE_WRITE_THROUGH)) {
    return NotDone(Error);
  }
  return {true, 0};
}

TFileResult TSystemFileOperations::ReplaceFile(const std::string& AFrom, const std::string& ATo) {
  if (!MoveFileExW(win::WidenUtf8(AFrom).c_str(), win::WidenUtf8(ATo).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return NotDone(LastError());
  }
  return {true, 0};
}

TFileResult TSystemFileOperations::DeleteFile(const std::string& APath) {
  if (!DeleteFileW(win::WidenUtf8(APath).c_str())) {
    return NotDone(LastError());
  }
  return {true, 0};
}

TFileResult TSystemFileOperations::WriteFileReplacing(const std::string& APath, std::string_view AContents) {
  TTemporaryFile Temporary(APath);
  if (!Temporary.Create()) {
    return NotDone(LastError());
  }
  if (const int Error = WriteAll(Temporary.File(), AContents.data(), AContents.size())) {
    return NotDone(Error);
  }
  if (!FlushFileBuffers(Temporary.File())) {
    return NotDone(LastError());
  }
  if (const int Error = Temporary.MoveToTarget(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return NotDone(Error);
  }
  return {true, 0};
}

std::optional<std::string> ReadSmallFile(const std::string& APath, std::size_t AMaxSize) {
  // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS, so only files get further.
  const THandle File = OpenForReading(APath, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  LARGE_INTEGER Size{};
  if (!File.IsOpen() || !GetFileSizeEx(File.Get(), &Size) || GetFileType(File.Get()) != FILE_TYPE_DISK ||
      static_cast<std::uint64_t>(Size.QuadPart) > AMaxSize) {
    return std::nullopt;
  }
  std::string Contents(static_cast<std::size_t>(Size.QuadPart), '\0');
  std::size_t Read = 0;
  while (Read < Contents.size()) {
    DWORD Got = 0;
    const DWORD Wanted = static_cast<DWORD>(std::min<std::size_t>(Contents.size() - Read, SliceSize));
    if (!ReadFile(File.Get(), Contents.data() + Read, Wanted, &Got, nullptr) || Got == 0) {
      return std::nullopt;
    }
    Read += Got;
  }
  return Contents;
}

}  // namespace platform
