#pragma once
// The window's icon: one 68x68 image of 32 bits per pixel, drawn in code.
#include <windows.h>

#include "system/Holders.h"

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DestroyIcon(handle); }
};
using IconHandle = UniqueHandle<IconTraits>;

constexpr int kIconSize = 68;

[[nodiscard]] IconHandle CreateWindowIcon();
