#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "ui/icons/monitor_pictures.h"
#include "ui/icons/raster.h"

namespace pacetta::icons {
namespace {

constexpr int kGridStep = 12;
constexpr int kSampleStep = 2;  // pixels between neighbouring samples

// The grid's first vertical line: (width - 2n) mod 12, kept non-negative; 2n mod 12
// only needs n mod 6.
int FirstGridColumn(int width, uint64_t samplesAdded) {
  const int shift = kSampleStep * static_cast<int>(samplesAdded % (kGridStep / kSampleStep));
  return ((width - shift) % kGridStep + kGridStep) % kGridStep;
}

// The raster line of DrawLine (Bresenham's, the end point left to the next segment) in
// the control's pixels, each a scale x scale block of the image.
void ScaledLine(IconImage& image, int scale, Point from, Point to, uint32_t argb) {
  const int dx = std::abs(to.x - from.x), stepX = from.x < to.x ? 1 : -1;
  const int dy = -std::abs(to.y - from.y), stepY = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  Point at = from;
  while (at.x != to.x || at.y != to.y) {
    FillRect(image, at.x * scale, at.y * scale, scale, scale, argb);
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

void ScaledPolyline(IconImage& image, int scale, std::span<const Point> points, uint32_t argb) {
  for (size_t i = 1; i < points.size(); ++i)
    ScaledLine(image, scale, points[i - 1], points[i], argb);
}

// The series' newest samples as runs of points, the newest at x = width; a sample that
// is not available ends a run.
void DrawSeries(IconImage& image, int scale, int width, int height, const GraphSeries& series,
                std::vector<Point>& run) {
  if (series.ring.empty()) return;
  const uint64_t kept = std::min<uint64_t>(series.taken, series.ring.size());
  const uint64_t shown = std::min<uint64_t>(kept, static_cast<uint64_t>(width / kSampleStep));
  const uint32_t argb = Opaque(series.color.value_or(kUnsetLit));
  run.clear();
  for (uint64_t age = shown; age-- > 0;) {
    const float value = series.ring[(series.taken - 1 - age) % series.ring.size()];
    if (std::isnan(value)) {
      ScaledPolyline(image, scale, run, argb);
      run.clear();
      continue;
    }
    run.push_back({width - kSampleStep * static_cast<int>(age),
                   height - StoredHeight(value, series.scale, height)});
  }
  ScaledPolyline(image, scale, run, argb);
}

}  // namespace

int StoredHeight(double value, MonitorScale scale, int height) {
  const int top = std::max(height - 1, 1);
  if (std::isnan(value) || !(scale.max > scale.min)) return 1;
  // Clamped before rounding: a wild value must not overflow the conversion.
  const double scaled = (value - scale.min) * (height - 2) / (scale.max - scale.min);
  return static_cast<int>(std::lround(std::clamp(scaled, 0.0, static_cast<double>(top - 1)))) + 1;
}

void DrawGraph(IconImage& image, int scale, std::span<const GraphSeries> series,
               uint64_t samplesAdded, ColorRef background, ColorRef grid) {
  std::fill(image.pixels.begin(), image.pixels.end(), Opaque(background));
  if (scale < 1) return;
  const int width = image.width / scale, height = image.height / scale;
  const uint32_t gridArgb = Opaque(grid);
  for (int y = 0; y < height; y += kGridStep) {
    FillRect(image, 0, y * scale, width * scale, scale, gridArgb);
  }
  for (int x = FirstGridColumn(width, samplesAdded); x < width; x += kGridStep) {
    FillRect(image, x * scale, 0, scale, height * scale, gridArgb);
  }
  // The first series is drawn last, over the others.
  std::vector<Point> run;
  run.reserve(static_cast<size_t>(std::max(width / kSampleStep, 0)) + 1);
  for (size_t k = series.size(); k-- > 0;) DrawSeries(image, scale, width, height, series[k], run);
}

}  // namespace pacetta::icons
