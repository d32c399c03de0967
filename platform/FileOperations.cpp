// What the file operations share on every system; the system's own calls are in posix/ and win/.
#include "platform/FileOperations.h"

namespace platform {

TPathParts SplitPath(const std::string& APath) {
#ifdef _WIN32
  // Windows takes both slashes, and a drive letter's colon ends the folder part too ("C:name").
  const auto Separator = APath.find_last_of("\\/:");
#else
  const auto Separator = APath.find_last_of('/');
#endif
  if (Separator == std::string::npos) {
    return {std::string(), APath};
  }
  return {APath.substr(0, Separator + 1), APath.substr(Separator + 1)};
}

}  // namespace platform
