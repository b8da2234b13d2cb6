#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pacetta::icons {

// A colour as the settings store keeps it: 0x00BBGGRR.
using ColorRef = uint32_t;

// A picture of whole pixels, each 0xAARRGGBB with alpha 0 (transparent) or 255.
// Row-major, top row first.
struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  IconImage() = default;
  IconImage(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
  uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
  bool operator==(const IconImage&) const = default;
};

// The tray's icons are 16 x 16.
inline constexpr int kIconSize = 16;

// 0x00BBGGRR to an opaque 0xFFRRGGBB.
constexpr uint32_t Opaque(ColorRef color) {
  return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

// `image` with every pixel repeated `factor` times in both directions (HiDPI: whole
// factors keep the pixels sharp); a factor below 2 leaves it as it is.
IconImage ScaleWhole(const IconImage& image, int factor);

}  // namespace pacetta::icons
