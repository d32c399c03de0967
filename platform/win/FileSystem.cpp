#include "platform/FileSystem.h"

#include "platform/win/WindowsApi.h"

#include "platform/FileOperations.h"
#include "platform/win/WideText.h"

namespace platform {
namespace {

// The folder that holds APath: the volume of a file that does not exist yet is its folder's.
std::wstring FolderOf(const std::string& APath) {
  const std::string Folder = SplitPath(APath).Folder;
  return win::WidenUtf8(Folder.empty() ? std::string(".\\") : Folder);
}

bool IsFolder(const std::wstring& APath) {
  const DWORD Attributes = GetFileAttributesW(APath.c_str());
  return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

TDriveKind GetDriveKind(const std::string& APath) {
  const std::wstring Folder = FolderOf(APath);
  // GetVolumePathNameW answers for folders that do not exist too, with the volume of the part
  // that does; the wizard must hear that the folder is missing.
  if (!IsFolder(Folder)) {
    return TDriveKind::NoRootDir;
  }
  wchar_t Volume[MAX_PATH + 1] = {};
  if (!GetVolumePathNameW(Folder.c_str(), Volume, MAX_PATH + 1)) {
    return TDriveKind::Unknown;
  }
  switch (GetDriveTypeW(Volume)) {
    case DRIVE_NO_ROOT_DIR:
      return TDriveKind::NoRootDir;
    case DRIVE_REMOVABLE:
      return TDriveKind::Removable;
    case DRIVE_FIXED:
      return TDriveKind::Fixed;
    case DRIVE_REMOTE:
      return TDriveKind::Remote;
    case DRIVE_CDROM:
      return TDriveKind::CdRom;
    case DRIVE_RAMDISK:
      return TDriveKind::RamDisk;
    default:
      return TDriveKind::Unknown;
  }
}

bool FileExists(const std::string& APath) {
  const std::wstring Path = win::WidenUtf8(APath);
  const DWORD Attributes = GetFileAttributesW(Path.c_str());
  if (Attributes != INVALID_FILE_ATTRIBUTES) {
    return (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
  // A file another process holds open without sharing can refuse its attributes; its folder's
  // listing still shows it. A wildcard in the name must not match some other file.
  if (Path.find_first_of(L"*?") != std::wstring::npos) {
    return false;
  }
  WIN32_FIND_DATAW Found{};
  HANDLE Search = FindFirstFileW(Path.c_str(), &Found);
  if (Search == INVALID_HANDLE_VALUE) {
    return false;
  }
  FindClose(Search);
  return (Found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace platform
