#include "ui/icons/raster.h"

#include <algorithm>
#include <cstdlib>

namespace pacetta::icons {

void PutPixel(IconImage& image, int x, int y, uint32_t argb) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  image.pixels[size_t(y) * image.width + x] = argb;
}

void FillRect(IconImage& image, int x, int y, int w, int h, uint32_t argb) {
  const int x0 = std::max(x, 0), x1 = std::min(x + w, image.width);
  const int y0 = std::max(y, 0), y1 = std::min(y + h, image.height);
  for (int row = y0; row < y1; ++row) {
    for (int column = x0; column < x1; ++column) {
      image.pixels[size_t(row) * image.width + column] = argb;
    }
  }
}

void DrawLine(IconImage& image, Point from, Point to, uint32_t argb) {
  const int dx = std::abs(to.x - from.x), stepX = from.x < to.x ? 1 : -1;
  const int dy = -std::abs(to.y - from.y), stepY = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  Point at = from;
  while (at.x != to.x || at.y != to.y) {
    PutPixel(image, at.x, at.y, argb);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      at.x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      at.y += stepY;
    }
  }
}

void DrawPolyline(IconImage& image, std::span<const Point> points, uint32_t argb) {
  for (size_t i = 1; i < points.size(); ++i) DrawLine(image, points[i - 1], points[i], argb);
}

void CopyOpaque(IconImage& dest, int dx, int dy, const IconImage& source, int sx, int sy, int w,
                int h) {
  for (int row = 0; row < h; ++row) {
    for (int column = 0; column < w; ++column) {
      const int x = sx + column, y = sy + row;
      if (x < 0 || y < 0 || x >= source.width || y >= source.height) continue;
      const uint32_t pixel = source.At(x, y);
      if (pixel >> 24 != 0) PutPixel(dest, dx + column, dy + row, pixel);
    }
  }
}

void ReplacePixels(IconImage& image, uint32_t from, uint32_t to) {
  std::replace(image.pixels.begin(), image.pixels.end(), from, to);
}

void DrawArt(IconImage& image, int x, int y, std::span<const std::string_view> rows,
             std::span<const PaletteEntry> palette) {
  for (size_t row = 0; row < rows.size(); ++row) {
    for (size_t column = 0; column < rows[row].size(); ++column) {
      const char key = rows[row][column];
      const auto entry = std::find_if(palette.begin(), palette.end(),
                                      [key](const PaletteEntry& e) { return e.key == key; });
      if (entry != palette.end()) PutPixel(image, x + int(column), y + int(row), entry->argb);
    }
  }
}

}  // namespace pacetta::icons
