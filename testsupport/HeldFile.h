#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

// A file held open the way a database engine holds the database it works on, until the object
// goes: the wizard's exclusive hold on that file must be refused, with RefusalCode.
class THeldFile {
public:
  explicit THeldFile(const std::string& APath);  // throws std::runtime_error when it cannot
  ~THeldFile();
  THeldFile(const THeldFile&) = delete;
  THeldFile& operator=(const THeldFile&) = delete;

  // The system's code for a hold refused because of this one.
  static const int RefusalCode;

private:
  std::intptr_t FHandle;
};

}  // namespace testsupport
