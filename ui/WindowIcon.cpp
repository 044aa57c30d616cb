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
  // A green seed with a light core on a transparent ground.
  auto* pixels = static_cast<DWORD*>(bits);
  const int centre = kIconSize / 2;
  for (int y = 0; y < kIconSize; ++y) {
    for (int x = 0; x < kIconSize; ++x) {
      int dx = x - centre, dy = (y - centre) * 4 / 3;
      int distance = dx * dx + dy * dy;
      DWORD pixel = 0;
      if (distance < 10 * 10) pixel = 0xFFB8F0A0;
      else if (distance < 28 * 28) pixel = 0xFF2E9E3E;
      else if (distance < 31 * 31) pixel = 0xFF1B5E20;
      pixels[y * kIconSize + x] = pixel;
    }
  }
  ICONINFO icon = {};
  icon.fIcon = TRUE;
  icon.hbmColor = static_cast<HBITMAP>(colour.Get());
  icon.hbmMask = static_cast<HBITMAP>(mask.Get());
  return IconHandle(CreateIconIndirect(&icon));
}
