#include "testsupport/TempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace testsupport {

TTempFolder::TTempFolder() {
  std::string Template = (std::filesystem::temp_directory_path() / "dbupdate-test-XXXXXX").string();
  if (mkdtemp(Template.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp " + Template);
  }
  FPath = Template;
}

TTempFolder::~TTempFolder() {
  std::error_code Ignored;
  std::filesystem::remove_all(FPath, Ignored);
}

std::string TTempFolder::File(const std::string& AName) const { return (FPath / AName).string(); }

}  // namespace testsupport
