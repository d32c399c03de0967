#include "testsupport/HeldFile.h"

#include "platform/win/WindowsApi.h"

#include <stdexcept>

#include "platform/win/WideText.h"

namespace testsupport {

// An engine on Windows has the file open for writing, sharing it with readers and writers.
const int THeldFile::RefusalCode = ERROR_SHARING_VIOLATION;

THeldFile::THeldFile(const std::string& APath)
    : FHandle(reinterpret_cast<std::intptr_t>(
          CreateFileW(platform::win::WidenUtf8(APath).c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
  if (reinterpret_cast<HANDLE>(FHandle) == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot open " + APath);
  }
}

THeldFile::~THeldFile() { CloseHandle(reinterpret_cast<HANDLE>(FHandle)); }

}  // namespace testsupport
