#include "app/win/WinHandles.h"

#include "platform/win/WindowsApi.h"

#include <objbase.h>

namespace app::win {

void TGdiObjectDeleter::operator()(void* AObject) const noexcept { DeleteObject(AObject); }

void TWindowDestroyer::operator()(HWND__* AWindow) const noexcept { DestroyWindow(AWindow); }

TComApartment::TComApartment() {
  // S_FALSE (already initialised the same way) also wants its CoUninitialize.
  FInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

TComApartment::~TComApartment() {
  if (FInitialized) {
    CoUninitialize();
  }
}

}  // namespace app::win
