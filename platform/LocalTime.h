#pragma once

namespace platform {

struct TLocalDateTime {
  int Year = 0;
  int Month = 0;  // 1 to 12
  int Day = 0;    // 1 to 31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

[[nodiscard]] TLocalDateTime GetLocalDateTime();

}  // namespace platform
