#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "ui/icons/icon_image.h"

namespace pacetta::icons {

struct Point {
  int x = 0;
  int y = 0;
};

// Drawing on an IconImage. Every routine clips to the image: what falls outside is
// simply not drawn.

void PutPixel(IconImage& image, int x, int y, uint32_t argb);

// The w x h rectangle whose top-left pixel is (x, y).
void FillRect(IconImage& image, int x, int y, int w, int h, uint32_t argb);

// A one-pixel line from `from` towards `to` with Bresenham's integer routine. The end
// point itself is not drawn, as raster line routines do: a polyline then draws each
// joint once, and a final segment one pixel beyond the last point draws that point.
void DrawLine(IconImage& image, Point from, Point to, uint32_t argb);

// Segments through `points` in order; the last point is not drawn (see DrawLine).
void DrawPolyline(IconImage& image, std::span<const Point> points, uint32_t argb);

// Copies the w x h block of `source` at (sx, sy) to (dx, dy); pixels that are
// transparent in `source` leave the destination as it is.
void CopyOpaque(IconImage& dest, int dx, int dy, const IconImage& source, int sx, int sy, int w,
                int h);

// Every pixel equal to `from` becomes `to`.
void ReplacePixels(IconImage& image, uint32_t from, uint32_t to);

// One colour of a pixel-art palette.
struct PaletteEntry {
  char key = '.';
  uint32_t argb = 0;
};

// Rows of characters drawn from (x, y): each character names a palette colour; characters
// the palette does not name (such as '.') leave the pixel as it is.
void DrawArt(IconImage& image, int x, int y, std::span<const std::string_view> rows,
             std::span<const PaletteEntry> palette);

}  // namespace pacetta::icons
