#include "app/win/ResourceImage.h"

#include "platform/win/WindowsApi.h"

#include <wincodec.h>

#include <cstdint>
#include <utility>

namespace app::win {
namespace {

constexpr std::uintptr_t RcDataType = 10;  // RT_RCDATA

// The resource's bytes, mapped with the executable; empty when there is no such resource.
std::pair<const BYTE*, DWORD> FindResourceBytes(int AResourceId) {
  const HMODULE Module = GetModuleHandleW(nullptr);
  const HRSRC Info = FindResourceW(Module, reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(AResourceId)),
                                   reinterpret_cast<LPCWSTR>(RcDataType));
  if (Info == nullptr) {
    return {nullptr, 0};
  }
  const HGLOBAL Loaded = LoadResource(Module, Info);  // not to be freed: it lives with the module
  const void* Bytes = Loaded == nullptr ? nullptr : LockResource(Loaded);
  return {static_cast<const BYTE*>(Bytes), Bytes == nullptr ? 0 : SizeofResource(Module, Info)};
}

}  // namespace

TBitmap LoadResourceImage(int AResourceId) {
  const auto [Bytes, Size] = FindResourceBytes(AResourceId);
  if (Bytes == nullptr) {
    return nullptr;
  }
  TComPtr<IWICImagingFactory> Factory;
  TComPtr<IWICStream> Stream;
  TComPtr<IWICBitmapDecoder> Decoder;
  TComPtr<IWICBitmapFrameDecode> Frame;
  TComPtr<IWICFormatConverter> Converter;
  UINT Width = 0;
  UINT Height = 0;
  // The stream only reads the bytes it is given, for all its non-const parameter.
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(Factory.Put()))) ||
      FAILED(Factory->CreateStream(Stream.Put())) ||
      FAILED(Stream->InitializeFromMemory(const_cast<BYTE*>(Bytes), Size)) ||
      FAILED(Factory->CreateDecoderFromStream(Stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              Decoder.Put())) ||
      FAILED(Decoder->GetFrame(0, Frame.Put())) || FAILED(Factory->CreateFormatConverter(Converter.Put())) ||
      FAILED(Converter->Initialize(Frame.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)) ||
      FAILED(Converter->GetSize(&Width, &Height)) || Width == 0 || Height == 0) {
    return nullptr;
  }

  // 24 bits: a static control keeps a bitmap with an alpha channel as a copy of its own, which
  // nobody would free.
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof(Info.bmiHeader);
  Info.bmiHeader.biWidth = static_cast<LONG>(Width);
  Info.bmiHeader.biHeight = -static_cast<LONG>(Height);  // top-down, as the decoder gives the rows
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 24;
  Info.bmiHeader.biCompression = BI_RGB;
  void* Pixels = nullptr;
  TBitmap Bitmap(CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Pixels, nullptr, 0));
  if (!Bitmap || Pixels == nullptr) {
    return nullptr;
  }
  const UINT Stride = (Width * 3 + 3) / 4 * 4;  // rows of a DIB end on a 4-byte boundary
  if (FAILED(Converter->CopyPixels(nullptr, Stride, Stride * Height, static_cast<BYTE*>(Pixels)))) {
    return nullptr;
  }
  return Bitmap;
}

}  // namespace app::win
