#include "platform/LocalTime.h"

#include <chrono>
#include <ctime>

namespace platform {

TLocalDateTime GetLocalDateTime() {
  const auto Now = std::chrono::system_clock::now();
  const std::time_t Seconds = std::chrono::system_clock::to_time_t(Now);
  const auto Millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(Now.time_since_epoch()).count() % 1000;
  std::tm Parts{};
  localtime_r(&Seconds, &Parts);
  return TLocalDateTime{Parts.tm_year + 1900, Parts.tm_mon + 1, Parts.tm_mday, Parts.tm_hour,
                        Parts.tm_min,         Parts.tm_sec,     static_cast<int>(Millis)};
}

}  // namespace platform
