#include "res/images.h"

#include <cmath>
#include <cstdlib>
#include <functional>

#include "res/resource_bytes.h"

namespace {

// The standard 16-colour palette, as red, green, blue.
constexpr uint8_t kPalette[16][3] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

enum : uint8_t { kBlack = 0, kGreen = 2, kNavy = 4, kLightGrey = 7, kWhite = 15 };

void InfoHeader(ResourceBytes &out, int width, int height, uint32_t imageBytes) {
  out.Dword(40);
  out.Dword(static_cast<uint32_t>(width));
  out.Dword(static_cast<uint32_t>(height));
  out.Word(1);
  out.Word(4);
  out.Dword(0);
  out.Dword(imageBytes);
  out.Dword(0);
  out.Dword(0);
  out.Dword(16);
  out.Dword(0);
  for (const auto &rgb : kPalette) {
    out.Byte(rgb[2]);
    out.Byte(rgb[1]);
    out.Byte(rgb[0]);
    out.Byte(0);
  }
}

int RowBytes(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

// 4-bit pixels, bottom row first; colorAt takes top-down coordinates.
void Pixels4(ResourceBytes &out, int width, int height, const std::function<uint8_t(int, int)> &colorAt) {
  int rowBytes = RowBytes(width, 4);
  for (int y = height - 1; y >= 0; --y) {
    for (int b = 0; b < rowBytes; ++b) {
      int x = b * 2;
      uint8_t high = x < width ? colorAt(x, y) : 0;
      uint8_t low = x + 1 < width ? colorAt(x + 1, y) : 0;
      out.Byte(static_cast<uint8_t>((high << 4) | low));
    }
  }
}

uint8_t ToolBarPixel(int x, int y) {
  int image = x / 16;
  int u = x % 16;
  switch (image) {
    case 0:  // play: a triangle pointing right, tip at column 12
      if (u >= 4 && u <= 12 && std::abs(2 * y - 15) <= (12 - u) * 3 / 2 + 1) return kGreen;
      break;
    case 1:  // stop
      if (u >= 4 && u <= 11 && y >= 4 && y <= 11) return kBlack;
      break;
    case 2:  // plus
      if ((y >= 7 && y <= 8 && u >= 3 && u <= 12) || (u >= 7 && u <= 8 && y >= 3 && y <= 12)) return kBlack;
      break;
    default:  // minus
      if (y >= 7 && y <= 8 && u >= 3 && u <= 12) return kBlack;
      break;
  }
  return kLightGrey;
}

}  // namespace

std::vector<uint8_t> BuildToolBarBitmap() {
  constexpr int kWidth = 64, kHeight = 16;
  ResourceBytes out;
  InfoHeader(out, kWidth, kHeight, static_cast<uint32_t>(RowBytes(kWidth, 4) * kHeight));
  Pixels4(out, kWidth, kHeight, ToolBarPixel);
  return out.bytes;
}

std::vector<uint8_t> BuildIconImage(int size) {
  ResourceBytes out;
  uint32_t colorBytes = static_cast<uint32_t>(RowBytes(size, 4) * size);
  uint32_t maskBytes = static_cast<uint32_t>(RowBytes(size, 1) * size);
  InfoHeader(out, size, size * 2, colorBytes + maskBytes);
  // One period of a sine wave in navy on white, inside a black frame.
  Pixels4(out, size, size, [size](int x, int y) -> uint8_t {
    if (x == 0 || y == 0 || x == size - 1 || y == size - 1) return kBlack;
    double phase = 2.0 * M_PI * (x - 1) / (size - 2);
    int curve = static_cast<int>(std::lround((size - 1) / 2.0 - std::sin(phase) * (size - 6) / 2.0));
    return std::abs(y - curve) <= size / 32 ? kNavy : kWhite;
  });
  for (uint32_t i = 0; i < maskBytes; ++i) out.Byte(0);  // fully opaque
  return out.bytes;
}

std::vector<uint8_t> BuildIconGroup(uint16_t firstImageId, uint32_t bytes32, uint32_t bytes16) {
  ResourceBytes out;
  out.Word(0);
  out.Word(1);
  out.Word(2);
  const struct {
    uint8_t size;
    uint32_t bytes;
  } entries[2] = {{32, bytes32}, {16, bytes16}};
  for (int i = 0; i < 2; ++i) {
    out.Byte(entries[i].size);
    out.Byte(entries[i].size);
    out.Byte(16);
    out.Byte(0);
    out.Word(1);
    out.Word(4);
    out.Dword(entries[i].bytes);
    out.Word(static_cast<uint16_t>(firstImageId + i));
  }
  return out.bytes;
}
