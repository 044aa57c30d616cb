#include "ui/WindowIcon.h"

IconHandle CreateWindowIcon() {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kIconSize;
  info.bmiHeader.biHeight = -kIconSize;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  GdiObject mask(CreateBitmap(kIconSize, kIconSize, 1, 1, nullptr));
  if (!colour || !mask || !bits) return IconHandle();
  auto* pixels = static_cast<DWORD*>(bits);
  for (int y = 0; y < kIconSize; ++y)
    for (int x = 0; x < kIconSize; ++x) pixels[y * kIconSize + x] = WindowIconPixel(x, y);
  ICONINFO icon = {};
  icon.fIcon = TRUE;
  icon.hbmColor = static_cast<HBITMAP>(colour.Get());
  icon.hbmMask = static_cast<HBITMAP>(mask.Get());
  return IconHandle(CreateIconIndirect(&icon));
}
