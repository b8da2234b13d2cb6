#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/icons/raster.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

// Mode 0 shows the processor's load on both bars or series, mode 1 the operating
// system's, any other mode the processor's first and the operating system's second.
bool ShowsOsLoad(int32_t loadIconMode, int index) {
  return loadIconMode == 1 || (loadIconMode != 0 && index == 1);
}

// floor(load x steps / 100) within 0..cap; a load that is not available (negative or
// NaN) counts as 0.
int LoadSteps(double load, int steps, int cap) {
  if (!(load > 0)) return 0;
  const double scaled = std::floor(load * steps / 100);
  return scaled >= cap ? cap : int(scaled);
}

// Each of red, green and blue at a third: the meter's unlit segments.
ColorRef Dimmed(ColorRef color) {
  return (color & 0xFFu) / 3 | ((color >> 8 & 0xFFu) / 3) << 8 | ((color >> 16 & 0xFFu) / 3) << 16;
}

ColorRef SeriesColor(const LoadColors& colors, int32_t loadIconMode, int index) {
  return ShowsOsLoad(loadIconMode, index) ? colors.osLoad : colors.cpuLoad;
}

constexpr int kRingSize = 16;
// The graph shows the newest 14 samples, from x = 1 to the newest at x = 14.
constexpr int kShownSamples = 14;

}  // namespace

IconImage DrawLoadMeter(double cpuLoad, double osLoad, int32_t loadIconMode,
                        const LoadColors& colors) {
  IconImage image(kIconSize, kIconSize, Opaque(0));
  FillRect(image, kIconSize - 1, 0, 1, kIconSize, 0);
  for (int bar = 0; bar < 2; ++bar) {
    const bool os = ShowsOsLoad(loadIconMode, bar);
    const int lit = LoadSteps(os ? osLoad : cpuLoad, 6, 5);
    const ColorRef color = SeriesColor(colors, loadIconMode, bar);
    const int left = bar == 0 ? 1 : 8;
    // Five segments, two pixels high, from the bottom (rows 13..14) upward.
    for (int segment = 0; segment < 5; ++segment) {
      FillRect(image, left, 13 - 3 * segment, 6, 2, Opaque(segment < lit ? color : Dimmed(color)));
    }
  }
  return image;
}

void LoadHistory::Add(double cpuLoad, double osLoad, int32_t loadIconMode) {
  const size_t slot = taken_ % kRingSize;
  for (int series = 0; series < 2; ++series) {
    rings_[size_t(series)][slot] =
        LoadSteps(ShowsOsLoad(loadIconMode, series) ? osLoad : cpuLoad, 14, 13);
  }
  ++taken_;
  mode_ = loadIconMode;
}

IconImage LoadHistory::Draw(const LoadColors& colors) const {
  return Draw(colors, mode_);
}

IconImage LoadHistory::Draw(const LoadColors& colors, int32_t loadIconMode) const {
  IconImage image = ProgramImage(294);
  const uint32_t grid = Opaque(0x005500);
  for (int y = 1; y <= 13; y += 3) FillRect(image, 1, y, 14, 1, grid);
  // The vertical lines move one pixel left per sample, with the samples.
  for (int x = 3 - int(taken_ % 3); x <= 14; x += 3) FillRect(image, x, 1, 1, 14, grid);

  const int shown = int(std::min<uint32_t>(taken_, kShownSamples));
  if (shown == 0) return image;
  for (int series = 1; series >= 0; --series) {
    const auto& ring = rings_[size_t(series)];
    const auto sample = [&](int age) { return ring[(taken_ - 1 - uint32_t(age)) % kRingSize]; };
    std::vector<Point> points;
    for (int age = shown - 1; age >= 0; --age) points.push_back({14 - age, 14 - sample(age)});
    // A line's end point is not drawn: one more segment, one pixel right and down, draws
    // the newest sample's own pixel and nothing in the rightmost column.
    points.push_back({15, 15 - sample(0)});
    DrawPolyline(image, points, Opaque(SeriesColor(colors, loadIconMode, series)));
  }
  return image;
}

}  // namespace pacetta::icons
