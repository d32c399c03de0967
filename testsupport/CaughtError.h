#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace testsupport {

// What an action threw, as the user would see it: the error box's caption and text.
struct TCaughtError {
  std::string ClassName;  // empty when nothing was thrown
  std::string Message;
  bool operator==(const TCaughtError&) const = default;
};

[[nodiscard]] TCaughtError CatchError(const std::function<void()>& AAction);

std::ostream& operator<<(std::ostream& AStream, const TCaughtError& AError);

}  // namespace testsupport
