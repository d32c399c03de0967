#pragma once

#include <cstdint>
#include <string>

namespace app {

// The application's title: the executable's file name without folder and extension, its first
// character unchanged and the rest in lower case.
[[nodiscard]] std::string ApplicationTitle(const std::string& AExecutablePath);

// Text of the default error display for an exception that escaped an event handler: the
// message, and a full stop after it when its last character sorts after the full stop.
[[nodiscard]] std::string DefaultErrorText(const std::string& AMessage);

// Text of the last-resort box for an error that stops the program before its window exists.
[[nodiscard]] std::string ApplicationErrorText(const std::string& AClassName,
                                               const std::string& AModuleName,
                                               std::uintptr_t AAddress, const std::string& AMessage);

inline constexpr const char* ApplicationErrorCaption = "Application Error";

}  // namespace app
