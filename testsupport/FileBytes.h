#pragma once

#include <string>

namespace testsupport {

// The whole content of a file; empty when it cannot be read.
[[nodiscard]] std::string ReadFileBytes(const std::string& APath);

// Writes ABytes as the whole content of a file, replacing what was there.
void WriteFileBytes(const std::string& APath, const std::string& ABytes);

}  // namespace testsupport
