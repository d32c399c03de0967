#include "platform/FileSystem.h"

#include <sys/stat.h>
#include <sys/statfs.h>

#include <cerrno>

namespace platform {
namespace {

constexpr long Iso9660Magic = 0x9660;
constexpr long UdfMagic = 0x15013346;
constexpr long TmpfsMagic = 0x01021994;
constexpr long RamfsMagic = static_cast<long>(0x858458f6);
constexpr long NfsMagic = 0x6969;
constexpr long SmbMagic = 0x517B;
constexpr long Smb2Magic = static_cast<long>(0xFE534D42);
constexpr long CifsMagic = static_cast<long>(0xFF534D42);
constexpr long FuseMagic = 0x65735546;

// The folder part of a path: the volume of a file that does not exist yet is its folder's.
std::string FolderOf(const std::string& APath) {
  const auto Slash = APath.find_last_of('/');
  if (Slash == std::string::npos) {
    return ".";
  }
  return Slash == 0 ? "/" : APath.substr(0, Slash);
}

}  // namespace

TDriveKind GetDriveKind(const std::string& APath) {
  struct statfs Info {};
  if (statfs(FolderOf(APath).c_str(), &Info) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? TDriveKind::NoRootDir : TDriveKind::Unknown;
  }
  switch (static_cast<long>(Info.f_type)) {
    case Iso9660Magic:
    case UdfMagic:
      return TDriveKind::CdRom;
    case TmpfsMagic:
    case RamfsMagic:
      return TDriveKind::RamDisk;
    case NfsMagic:
    case SmbMagic:
    case Smb2Magic:
    case CifsMagic:
    case FuseMagic:
      return TDriveKind::Remote;
    default:
      return TDriveKind::Fixed;
  }
}

bool FileExists(const std::string& APath) {
  struct stat Info {};
  return stat(APath.c_str(), &Info) == 0 && !S_ISDIR(Info.st_mode);
}

}  // namespace platform
