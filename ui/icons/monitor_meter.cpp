#include <algorithm>
#include <cmath>

#include "ui/icons/bitmap_font.h"
#include "ui/icons/monitor_pictures.h"
#include "ui/icons/raster.h"

namespace pacetta::icons {
namespace {

constexpr int kCaptionRows = 16;
constexpr int kSegmentPitch = 4;  // a segment 3 rows high and a 1-row gap above it
constexpr int kSegmentRows = 3;

uint32_t Channel(ColorRef color, int shift) {
  return (color >> shift) & 0xFFu;
}

// A rectangle of the control's pixels, each a scale x scale block of the image.
void Fill(IconImage& image, int scale, int x, int y, int w, int h, uint32_t argb) {
  FillRect(image, x * scale, y * scale, w * scale, h * scale, argb);
}

// One bar: two columns of `lit` segments from the bottom and `unlit` above them.
void DrawBar(IconImage& image, int scale, int left, int width, int segmentsBottom, int lit,
             int unlit, uint32_t litArgb, uint32_t unlitArgb) {
  // The columns keep a margin from the bar's edges and a 1-pixel gap between them.
  const int margin = std::max(1, width / 6);
  const int column = std::max(1, (width - 2 * margin - 1) / 2);
  for (int segment = 0; segment < lit + unlit; ++segment) {
    const int top = segmentsBottom - kSegmentPitch * (segment + 1) + (kSegmentPitch - kSegmentRows);
    const uint32_t argb = segment < lit ? litArgb : unlitArgb;
    Fill(image, scale, left + margin, top, column, kSegmentRows, argb);
    Fill(image, scale, left + margin + column + 1, top, column, kSegmentRows, argb);
  }
}

// `text` centred over the control's pixels left .. left + width - 1 from row `top`, each
// pixel of the glyphs a scale x scale block.
void DrawCaption(IconImage& image, int scale, int left, int width, int top, std::string_view text,
                 uint32_t argb) {
  const BitmapFont& font = Sans14Font();
  IconImage glyphs(TextWidth(font, text), font.cellHeight, 0);
  DrawText(glyphs, font, text, 0, 0, argb);
  const int x = left + (width - glyphs.width) / 2;
  for (int row = 0; row < glyphs.height; ++row) {
    for (int column = 0; column < glyphs.width; ++column) {
      if (glyphs.At(column, row) != 0) Fill(image, scale, x + column, top + row, 1, 1, argb);
    }
  }
}

}  // namespace

int MeterSegments(int height) {
  return std::max(0, (height - kCaptionRows) / kSegmentPitch);
}

int LitSegments(double value, MonitorScale scale, int segments) {
  // A scale with no room would divide by zero (or turn upside down): nothing is lit.
  if (std::isnan(value) || !(scale.max > scale.min) || segments <= 0) return 0;
  const double lit = std::floor((value - scale.min) * segments / (scale.max - scale.min));
  // The unlit count is kept within 1 .. segments, so the topmost row never lights.
  return static_cast<int>(std::clamp(lit, 0.0, static_cast<double>(segments - 1)));
}

ColorRef DimmedColor(ColorRef color, ColorRef background) {
  ColorRef dimmed = 0;
  for (const int shift : {0, 8, 16}) {
    dimmed |= (2 * Channel(background, shift) / 3 + Channel(color, shift) / 3) << shift;
  }
  return dimmed;
}

void DrawMeter(IconImage& image, int scale, std::span<const MeterBar> bars, ColorRef background) {
  std::fill(image.pixels.begin(), image.pixels.end(), Opaque(background));
  if (bars.empty() || scale < 1) return;
  const int width = image.width / scale, height = image.height / scale;
  const int segments = MeterSegments(height);
  const int segmentsBottom = height - kCaptionRows;
  const int count = static_cast<int>(bars.size());
  for (int k = 0; k < count; ++k) {
    const MeterBar& bar = bars[static_cast<size_t>(k)];
    const int left = k * width / count;
    const int lit = LitSegments(bar.value, bar.scale, segments);
    const int unlit = std::max(segments - lit - 1, 0);
    const uint32_t litArgb = Opaque(bar.color.value_or(kUnsetLit));
    const uint32_t unlitArgb =
        Opaque(bar.color ? DimmedColor(*bar.color, background) : kUnsetUnlit);
    const int barWidth = (k + 1) * width / count - left;
    DrawBar(image, scale, left, barWidth, segmentsBottom, lit, unlit, litArgb, unlitArgb);
    DrawCaption(image, scale, left, barWidth, segmentsBottom + 1, bar.caption, litArgb);
  }
}

}  // namespace pacetta::icons
