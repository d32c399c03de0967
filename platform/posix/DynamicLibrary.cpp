#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace platform {

void TDynamicLibrary::TCloser::operator()(void* AHandle) const noexcept {
  if (AHandle != nullptr) {
    dlclose(AHandle);
  }
}

TDynamicLibrary TDynamicLibrary::Load(const std::string& AFileName) {
  TDynamicLibrary Library;
  Library.FFileName = AFileName;
  if (void* Handle = dlopen(AFileName.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    Library.FHandle = std::shared_ptr<void>(Handle, TCloser{});
  }
  return Library;
}

void* TDynamicLibrary::FindSymbol(const char* AName) const {
  return FHandle ? dlsym(FHandle.get(), AName) : nullptr;
}

}  // namespace platform
