#include "app/ApplicationErrors.h"

#include <cctype>
#include <cstdio>

namespace app {

std::string ApplicationTitle(const std::string& AExecutablePath) {
  const auto Slash = AExecutablePath.find_last_of("/\\");
  std::string Name = Slash == std::string::npos ? AExecutablePath : AExecutablePath.substr(Slash + 1);
  const auto Dot = Name.find_last_of('.');
  if (Dot != std::string::npos) {
    Name.erase(Dot);
  }
  for (size_t I = 1; I < Name.size(); ++I) {
    Name[I] = static_cast<char>(std::tolower(static_cast<unsigned char>(Name[I])));
  }
  return Name;
}

std::string DefaultErrorText(const std::string& AMessage) {
  if (!AMessage.empty() && static_cast<unsigned char>(AMessage.back()) > '.') {
    return AMessage + ".";
  }
  return AMessage;
}

std::string ApplicationErrorText(const std::string& AClassName, const std::string& AModuleName,
                                 std::uintptr_t AAddress, const std::string& AMessage) {
  char Address[2 * sizeof AAddress + 1];
  std::snprintf(Address, sizeof Address, "%0*llX", static_cast<int>(2 * sizeof AAddress),
                static_cast<unsigned long long>(AAddress));
  const bool EndsWithFullStop = !AMessage.empty() && AMessage.back() == '.';
  return "Exception " + AClassName + " in module " + AModuleName + " at " + Address + ".\r\n" + AMessage +
         (EndsWithFullStop ? "" : ".") + "\r\n";
}

}  // namespace app
