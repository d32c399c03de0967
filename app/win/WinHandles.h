#pragma once

// Owners of the Windows handles and COM objects the window holds. Windows' own header stays
// out of here: the handle types are declared as that header declares them (each handle a
// pointer to its own struct), so both agree wherever both are seen.

#include <memory>
#include <utility>

struct HWND__;
struct HFONT__;
struct HBITMAP__;

namespace app::win {

struct TGdiObjectDeleter {
  void operator()(void* AObject) const noexcept;  // DeleteObject
};
using TFont = std::unique_ptr<HFONT__, TGdiObjectDeleter>;
using TBitmap = std::unique_ptr<HBITMAP__, TGdiObjectDeleter>;

// For a top-level window only: a child window belongs to its parent and goes with it.
struct TWindowDestroyer {
  void operator()(HWND__* AWindow) const noexcept;  // DestroyWindow
};
using TWindow = std::unique_ptr<HWND__, TWindowDestroyer>;

// One reference to a COM object.
template <typename T>
class TComPtr {
public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  TComPtr(TComPtr&& AOther) noexcept : FObject(std::exchange(AOther.FObject, nullptr)) {}
  TComPtr& operator=(TComPtr&& AOther) noexcept {
    if (this != &AOther) {
      Reset();
      FObject = std::exchange(AOther.FObject, nullptr);
    }
    return *this;
  }

  [[nodiscard]] T* Get() const { return FObject; }
  T* operator->() const { return FObject; }
  explicit operator bool() const { return FObject != nullptr; }
  // For a function that hands out a new reference: the old one is let go first.
  [[nodiscard]] T** Put() {
    Reset();
    return &FObject;
  }
  void Reset() {
    if (FObject != nullptr) {
      std::exchange(FObject, nullptr)->Release();
    }
  }

private:
  T* FObject = nullptr;
};

// COM for the calling thread (single-threaded apartment) while the object lives. A thread
// whose COM was already set up otherwise is left as it is.
class TComApartment {
public:
  TComApartment();
  ~TComApartment();
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;

private:
  bool FInitialized = false;
};

}  // namespace app::win
