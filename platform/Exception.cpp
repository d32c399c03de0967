#include "platform/Exception.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace platform {

std::string ExceptionClassName(const std::exception& AError) {
  if (const auto* Own = dynamic_cast<const EError*>(&AError)) {
    return Own->ClassName();
  }
  const char* Mangled = typeid(AError).name();
  int Status = 0;
  const std::unique_ptr<char, decltype(&std::free)> Demangled(
      abi::__cxa_demangle(Mangled, nullptr, nullptr, &Status), &std::free);
  return Status == 0 && Demangled ? std::string(Demangled.get()) : std::string(Mangled);
}

}  // namespace platform
