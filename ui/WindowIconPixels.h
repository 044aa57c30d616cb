#pragma once
// The drawing of the window's icon, platform-free: the program draws its
// window icon from it (ui/WindowIcon.cpp) and a host tool writes the
// executable's icon file from it at build time (app/resources/MakeIcon.cpp),
// so the two cannot drift apart.
#include <cstdint>

constexpr int kIconSize = 68;

// The pixel at column x, row y (row 0 at the top) of the 68x68 image, as
// 0xAARRGGBB: a green seed with a light core on a transparent ground.
constexpr std::uint32_t WindowIconPixel(int x, int y) {
  const int centre = kIconSize / 2;
  const int dx = x - centre, dy = (y - centre) * 4 / 3;
  const int distance = dx * dx + dy * dy;
  if (distance < 10 * 10) return 0xFFB8F0A0;
  if (distance < 28 * 28) return 0xFF2E9E3E;
  if (distance < 31 * 31) return 0xFF1B5E20;
  return 0;
}
