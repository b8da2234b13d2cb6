#pragma once
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string_view>

#include "ui/icons/icon_image.h"

namespace pacetta::icons {

// The monitoring page's meters and scrolling history graphs: values, scales and colours
// in, the control's client area drawn into `image` at device pixels. The geometry is in
// the control's own pixels, each drawn as a `scale` x `scale` block (2 on a screen of
// pixel ratio 2), so a HiDPI picture is as sharp as the plain one; `image` is sized by
// the caller and drawn over whole, so a control keeps one from paint to paint. A value
// that is not available is NaN: it lights nothing and leaves a gap in the graph, so a
// reading a processor does not give never looks like a reading.

// Where a series' values lie: `min` at the bottom, `max` at the top. A scale whose top
// is not above its bottom has no room for any value.
struct MonitorScale {
  double min = 0.0;
  double max = 0.0;
};

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// A meter's or graph's colours before they are set: grey segments, darker unlit ones.
inline constexpr ColorRef kUnsetLit = 0x808080;
inline constexpr ColorRef kUnsetUnlit = 0x2B2B2B;

struct MeterBar {
  double value = kNoValue;
  MonitorScale scale;
  std::optional<ColorRef> color;  // none: not set
  std::string_view caption;       // the value as text, UTF-8
};

// A meter's segment rows: (height - 16) / 4 (a 3-pixel segment and a 1-pixel gap each),
// the 16 rows below them left to the bar's caption.
int MeterSegments(int height);
// floor((value - min) x segments / (max - min)), at most segments - 1 (the topmost row
// is never lit); none below the scale, for NaN, or on a scale with no room.
int LitSegments(double value, MonitorScale scale, int segments);
// An unlit segment: each of red, green and blue 2 x background / 3 + colour / 3.
ColorRef DimmedColor(ColorRef color, ColorRef background);

// One or two bars, each over its share of the width as two columns of segments stacked
// from the bottom of the segment rows: the lit ones, then the unlit ones up to the row
// below the top; each bar's caption centred in the rows below, in the "sans 14" bitmap
// font and the bar's lit colour (characters the font lacks are left out).
void DrawMeter(IconImage& image, int scale, std::span<const MeterBar> bars, ColorRef background);

// A series of a graph: a ring of values that holds sample i (counted from 0) in slot
// i mod ring.size(), `taken` samples having been added so far.
struct GraphSeries {
  std::span<const float> ring;
  uint64_t taken = 0;
  MonitorScale scale;
  std::optional<ColorRef> color;  // none: not set (grey)
};

// A sample's height in a graph `height` pixels high: round((value - min) x (height - 2) /
// (max - min)) + 1 within 1 .. height - 1; 1 on a scale with no room. Drawn at
// y = height - stored height.
int StoredHeight(double value, MonitorScale scale, int height);

// The background, a grid of lines every 12 pixels (the vertical ones from
// x = (width - 2 x samplesAdded) mod 12, so they scroll left 2 pixels per sample), then
// the series from the last to the first, each a polyline through its newest width / 2
// samples 2 pixels apart, the newest at x = width. Samples that are NaN break the line.
void DrawGraph(IconImage& image, int scale, std::span<const GraphSeries> series,
               uint64_t samplesAdded, ColorRef background, ColorRef grid);

}  // namespace pacetta::icons
