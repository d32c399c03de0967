#include "testsupport/CaughtError.h"

#include <exception>

#include "platform/Exception.h"

namespace testsupport {

TCaughtError CatchError(const std::function<void()>& AAction) {
  try {
    AAction();
  } catch (const std::exception& AError) {
    return {platform::ExceptionClassName(AError), AError.what()};
  }
  return {};
}

std::ostream& operator<<(std::ostream& AStream, const TCaughtError& AError) {
  if (AError.ClassName.empty()) {
    return AStream << "(nothing thrown)";
  }
  return AStream << AError.ClassName << ": \"" << AError.Message << "\"";
}

}  // namespace testsupport
