#include "platform/DynamicLibrary.h"

#include "platform/win/WindowsApi.h"

#include "platform/win/WideText.h"

namespace platform {

void TDynamicLibrary::TCloser::operator()(void* AHandle) const noexcept {
  if (AHandle != nullptr) {
    FreeLibrary(static_cast<HMODULE>(AHandle));
  }
}

TDynamicLibrary TDynamicLibrary::Load(const std::string& AFileName) {
  TDynamicLibrary Library;
  Library.FFileName = AFileName;
  // No message box of the system when the library is missing or broken: the caller decides.
  const UINT OldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE Handle = LoadLibraryW(win::WidenUtf8(AFileName).c_str());
  SetErrorMode(OldMode);
  if (Handle != nullptr) {
    Library.FHandle = std::shared_ptr<void>(static_cast<void*>(Handle), TCloser{});
  }
  return Library;
}

void* TDynamicLibrary::FindSymbol(const char* AName) const {
  if (!FHandle) {
    return nullptr;
  }
  // FARPROC is a function pointer; callers cast the address to the function's own type.
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(FHandle.get()), AName));
}

}  // namespace platform
