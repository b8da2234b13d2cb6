#pragma once
#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>

#include "ui/icons/icon_image.h"

namespace pacetta::icons {

// The smallest rectangle holding every pixel of `image` for which `match` holds, in the
// rows from `top` to `bottom` (inclusive); empty when none does.
struct Box {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
  bool Empty() const { return left > right; }
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

inline Box BoxOf(const IconImage& image, const std::function<bool(uint32_t)>& match, int top = 0,
                 int bottom = INT_MAX) {
  Box box;
  for (int y = std::max(top, 0); y <= std::min(bottom, image.height - 1); ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (!match(image.At(x, y))) continue;
      box.left = std::min(box.left, x), box.right = std::max(box.right, x);
      box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

inline bool IsOpaque(uint32_t pixel) {
  return pixel >> 24 == 0xFF;
}

inline int Count(const IconImage& image, uint32_t pixel) {
  return int(std::count(image.pixels.begin(), image.pixels.end(), pixel));
}

}  // namespace pacetta::icons
