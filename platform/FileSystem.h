#pragma once

#include <string>

namespace platform {

// What kind of volume holds a path, in the terms the wizard decides on: a database may only be
// updated where files can be written.
enum class TDriveKind {
  Unknown,     // the type could not be determined
  NoRootDir,   // the folder that should hold the file does not exist
  Removable,
  Fixed,
  Remote,
  CdRom,       // ISO 9660 or UDF: read-only media
  RamDisk,
};

[[nodiscard]] TDriveKind GetDriveKind(const std::string& APath);

// True when something that is not a directory exists at APath (a locked file counts).
[[nodiscard]] bool FileExists(const std::string& APath);

}  // namespace platform
