#include "platform/DynamicLibrary.h"
#include "platform/LocalTime.h"

#include "platform/win/WindowsApi.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace platform {
namespace {

// kernel32.dll is in every Windows process; what it exports is known.
TEST(DynamicLibrary, LoadsBySystemSearchAndFindsExportsOnly) {
  const TDynamicLibrary Kernel = TDynamicLibrary::Load("kernel32.dll");
  ASSERT_TRUE(Kernel.IsLoaded());
  EXPECT_EQ(Kernel.FileName(), "kernel32.dll");
  EXPECT_EQ(Kernel.FindSymbol("GetTickCount64"), reinterpret_cast<void*>(&GetTickCount64));
  EXPECT_EQ(Kernel.FindSymbol("NoSuchFunctionAnywhere"), nullptr);

  const TDynamicLibrary Missing = TDynamicLibrary::Load("no-such-client-library.dll");
  EXPECT_FALSE(Missing.IsLoaded());
  EXPECT_EQ(Missing.FileName(), "no-such-client-library.dll");
  EXPECT_EQ(Missing.FindSymbol("GetTickCount64"), nullptr);
}

// Comparable moments of a local time, so that a check right at the turn of a minute or a day
// holds too.
std::uint64_t Moment(const SYSTEMTIME& ATime) {
  FILETIME File{};
  EXPECT_TRUE(SystemTimeToFileTime(&ATime, &File));
  return (std::uint64_t{File.dwHighDateTime} << 32) | File.dwLowDateTime;
}

// The fields must be the system's local time, each in its own place.
TEST(LocalTime, IsTheSystemsLocalTime) {
  SYSTEMTIME Before{};
  GetLocalTime(&Before);
  const TLocalDateTime Now = GetLocalDateTime();
  SYSTEMTIME After{};
  GetLocalTime(&After);
  SYSTEMTIME Ours{};
  Ours.wYear = static_cast<WORD>(Now.Year);
  Ours.wMonth = static_cast<WORD>(Now.Month);
  Ours.wDay = static_cast<WORD>(Now.Day);
  Ours.wHour = static_cast<WORD>(Now.Hour);
  Ours.wMinute = static_cast<WORD>(Now.Minute);
  Ours.wSecond = static_cast<WORD>(Now.Second);
  Ours.wMilliseconds = static_cast<WORD>(Now.Millisecond);
  EXPECT_LE(Moment(Before), Moment(Ours));
  EXPECT_LE(Moment(Ours), Moment(After));
}

}  // namespace
}  // namespace platform
