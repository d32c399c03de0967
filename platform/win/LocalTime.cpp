#include "platform/LocalTime.h"

#include "platform/win/WindowsApi.h"

namespace platform {

TLocalDateTime GetLocalDateTime() {
  SYSTEMTIME Now{};
  GetLocalTime(&Now);
  return TLocalDateTime{Now.wYear, Now.wMonth,  Now.wDay,         Now.wHour,
                        Now.wMinute, Now.wSecond, Now.wMilliseconds};
}

}  // namespace platform
