#pragma once
// The window's icon: one 68x68 image of 32 bits per pixel, drawn in code
// (ui/WindowIconPixels.h).
#include <windows.h>

#include "system/Holders.h"
#include "ui/WindowIconPixels.h"

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DestroyIcon(handle); }
};
using IconHandle = UniqueHandle<IconTraits>;

[[nodiscard]] IconHandle CreateWindowIcon();
