#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace platform {

// Errors of the program carry the name of their class: the window shows it as the caption of
// the error box, so it is part of what the user sees, not a debugging aid.
class EError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
  [[nodiscard]] virtual std::string ClassName() const = 0;
};

// The caption for any caught exception: the class name of our own errors, the demangled type
// name of anything else (std::bad_alloc, for instance).
[[nodiscard]] std::string ExceptionClassName(const std::exception& AError);

}  // namespace platform
