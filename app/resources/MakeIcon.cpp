// make-icon FILE: writes the program's icon file, the window icon's drawing
// (ui/WindowIconPixels.h) at its own 68x68 and reduced to 48, 32 and 16
// pixels, each image of 32 bits per pixel with its alpha and a mask. Built
// with the host compiler and run at build time; seedsearch.rc takes the file
// in as the executable's icon.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ui/WindowIconPixels.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// One image as 0xAARRGGBB, rows from the top.
struct Image {
  int size = 0;
  std::vector<std::uint32_t> pixels;
};

Image DrawnImage() {
  Image image{kIconSize, std::vector<std::uint32_t>(kIconSize * kIconSize)};
  for (int y = 0; y < kIconSize; ++y)
    for (int x = 0; x < kIconSize; ++x) image.pixels[y * kIconSize + x] = WindowIconPixel(x, y);
  return image;
}

// How much of source pixel `source` lies under target pixel `target` when
// `from` pixels shrink to `to`, as a share of the target pixel's width.
double Coverage(int target, int source, int from, int to) {
  const double scale = double(from) / to;
  const double left = target * scale, right = left + scale;
  const double overlapLeft = source > left ? source : left;
  const double overlapRight = source + 1 < right ? source + 1 : right;
  return overlapRight > overlapLeft ? (overlapRight - overlapLeft) / scale : 0.0;
}

// Area averaging with premultiplied alpha, so that the transparent ground
// does not darken the seed's rim.
Image Reduced(const Image& source, int size) {
  Image image{size, std::vector<std::uint32_t>(size * size)};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double alpha = 0, red = 0, green = 0, blue = 0;
      for (int sourceY = 0; sourceY < source.size; ++sourceY) {
        const double rowWeight = Coverage(y, sourceY, source.size, size);
        if (rowWeight == 0) continue;
        for (int sourceX = 0; sourceX < source.size; ++sourceX) {
          const double weight = rowWeight * Coverage(x, sourceX, source.size, size);
          if (weight == 0) continue;
          const std::uint32_t pixel = source.pixels[sourceY * source.size + sourceX];
          const double pixelAlpha = (pixel >> 24) / 255.0;
          alpha += weight * pixelAlpha;
          red += weight * pixelAlpha * ((pixel >> 16) & 0xFF);
          green += weight * pixelAlpha * ((pixel >> 8) & 0xFF);
          blue += weight * pixelAlpha * (pixel & 0xFF);
        }
      }
      if (alpha <= 0) continue;
      auto channel = [&](double premultiplied) { return std::uint32_t(premultiplied / alpha + 0.5); };
      image.pixels[y * size + x] =
          std::uint32_t(alpha * 255 + 0.5) << 24 | channel(red) << 16 | channel(green) << 8 | channel(blue);
    }
  }
  return image;
}

void Put16(Bytes& out, unsigned value) {
  out.push_back(std::uint8_t(value));
  out.push_back(std::uint8_t(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// The image as an icon file keeps it: a bitmap header of twice the height,
// the colour rows from the bottom, then the mask rows (a set bit is
// transparent), each mask row padded to 32 bits.
Bytes IconImage(const Image& image) {
  const int maskStride = (image.size + 31) / 32 * 4;
  const std::uint32_t colourBytes = image.size * image.size * 4, maskBytes = maskStride * image.size;
  Bytes out;
  Put32(out, 40);  // BITMAPINFOHEADER
  Put32(out, image.size);
  Put32(out, image.size * 2);
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, 0);   // BI_RGB
  Put32(out, colourBytes + maskBytes);
  for (int unused = 0; unused < 4; ++unused) Put32(out, 0);
  for (int y = image.size - 1; y >= 0; --y)
    for (int x = 0; x < image.size; ++x) Put32(out, image.pixels[y * image.size + x]);
  for (int y = image.size - 1; y >= 0; --y) {
    Bytes row(maskStride);
    for (int x = 0; x < image.size; ++x)
      if ((image.pixels[y * image.size + x] >> 24) == 0) row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

Bytes IconFile(const std::vector<Image>& images) {
  std::vector<Bytes> parts;
  for (const Image& image : images) parts.push_back(IconImage(image));
  Bytes out;
  Put16(out, 0);  // reserved
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, unsigned(images.size()));
  std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
  for (size_t index = 0; index < images.size(); ++index) {
    out.push_back(std::uint8_t(images[index].size));  // sizes below 256 only
    out.push_back(std::uint8_t(images[index].size));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, std::uint32_t(parts[index].size()));
    Put32(out, offset);
    offset += std::uint32_t(parts[index].size());
  }
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-icon FILE\n");
    return 2;
  }
  const Image drawn = DrawnImage();
  const Bytes file = IconFile({drawn, Reduced(drawn, 48), Reduced(drawn, 32), Reduced(drawn, 16)});
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  if (std::fclose(out) != 0 || !written) {
    std::perror(argv[1]);
    std::remove(argv[1]);  // no half-written file for the next build to take as up to date
    return 1;
  }
  return 0;
}
