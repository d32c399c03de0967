#include "testsupport/FileBytes.h"

#include <fstream>

#include "testsupport/TempFolder.h"

namespace testsupport {

std::string ReadFileBytes(const std::string& APath) {
  std::ifstream File(PathOf(APath), std::ios::binary | std::ios::ate);
  const std::streamoff Size = File ? static_cast<std::streamoff>(File.tellg()) : 0;
  std::string Bytes(static_cast<size_t>(Size > 0 ? Size : 0), '\0');
  File.seekg(0);
  File.read(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  return Bytes;
}

void WriteFileBytes(const std::string& APath, const std::string& ABytes) {
  std::ofstream(PathOf(APath), std::ios::binary | std::ios::trunc).write(ABytes.data(), static_cast<std::streamsize>(ABytes.size()));
}

}  // namespace testsupport
