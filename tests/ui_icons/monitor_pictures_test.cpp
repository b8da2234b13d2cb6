#include "ui/icons/monitor_pictures.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <vector>

#include "tests/ui_icons/pixels.h"

namespace pacetta::icons {
namespace {

constexpr ColorRef kBackground = 0x102030, kGrid = 0x004000;
constexpr ColorRef kFirst = 0x3080FF, kSecond = 0xC0F000;
// 2 x background / 3 + colour / 3 per channel, worked out by hand.
constexpr uint32_t kFirstUnlit = 0xFF753F1A;
constexpr MonitorScale kPercent{0.0, 100.0};

// A meter 56 rows high has (56 - 16) / 4 = 10 segment rows; segment s (0 at the bottom)
// covers rows 37 - 4s .. 39 - 4s.
constexpr int kMeterHeight = 56;
constexpr int kSegments = 10;
int SegmentTop(int segment) {
  return kMeterHeight - 16 - 4 * (segment + 1) + 1;
}

IconImage Meter(int width, int height, std::span<const MeterBar> bars, int scale = 1) {
  IconImage meter(width * scale, height * scale);
  DrawMeter(meter, scale, bars, kBackground);
  return meter;
}

IconImage Graph(int width, int height, std::span<const GraphSeries> series, uint64_t added,
                int scale = 1) {
  IconImage graph(width * scale, height * scale);
  DrawGraph(graph, scale, series, added, kBackground, kGrid);
  return graph;
}

// The colour of segment `segment` of the column whose left edge is `left`, or 0 when
// its pixels differ.
uint32_t SegmentColor(const IconImage& meter, int left, int width, int segment) {
  const uint32_t color = meter.At(left, SegmentTop(segment));
  for (int y = SegmentTop(segment); y < SegmentTop(segment) + 3; ++y) {
    for (int x = left; x < left + width; ++x) {
      if (meter.At(x, y) != color) return 0;
    }
  }
  return color;
}

// floor((value - min) x segments / (max - min)) lit from the bottom, at most all but the
// top row; then unlit ones up to the row below the top, which is never drawn. A scale
// whose top is not above its bottom lights nothing (it would divide by zero); so does a
// value that is not available.
TEST(MonitorMeter, LightsSegmentsOfTheValueAndNeverTheTopRow) {
  struct Case {
    double value;
    MonitorScale scale;
    int lit;
  } const cases[] = {
      {0, kPercent, 0},    {9.9, kPercent, 0}, {55, kPercent, 5},    {95, kPercent, 9},
      {100, kPercent, 9},  {250, kPercent, 9}, {-5, kPercent, 0},    {kNoValue, kPercent, 0},
      {50, {50, 50}, 0},   {50, {80, 20}, 0},  {1e300, kPercent, 9}, {1800, {0, 2000}, 9},
      {900, {0, 2000}, 4},
  };
  // 48 pixels wide: columns of (48 - 2 x 8 - 1) / 2 = 15 pixels from x = 8 and x = 24.
  for (const Case& c : cases) {
    const MeterBar bar{c.value, c.scale, kFirst, {}};
    EXPECT_EQ(LitSegments(c.value, c.scale, kSegments), c.lit) << c.value;
    const IconImage meter = Meter(48, kMeterHeight, std::span(&bar, 1));
    for (int left : {8, 24}) {
      for (int segment = 0; segment < kSegments; ++segment) {
        const uint32_t expected = segment < c.lit           ? Opaque(kFirst)
                                  : segment < kSegments - 1 ? kFirstUnlit
                                                            : Opaque(kBackground);
        EXPECT_EQ(SegmentColor(meter, left, 15, segment), expected)
            << c.value << " column " << left << " segment " << segment;
      }
    }
    // Outside the segments: the background, the caption rows included.
    const auto inSegment = [](int x, int y) {
      const bool column = (x >= 8 && x < 23) || (x >= 24 && x < 39);
      return column && y >= SegmentTop(kSegments - 2) && y < kMeterHeight - 16 &&
             (kMeterHeight - 16 - y) % 4 != 0;
    };
    for (int y = 0; y < kMeterHeight; ++y) {
      for (int x = 0; x < 48; ++x) {
        if (!inSegment(x, y)) {
          ASSERT_EQ(meter.At(x, y), Opaque(kBackground)) << x << "," << y;
        }
      }
    }
  }
}

// Two bars share the width, each in its own colour with its caption centred below it;
// colours not set are grey segments and darker grey unlit ones, whatever the background.
TEST(MonitorMeter, TwoBarsEachInItsColourAndGreyWhenUnset) {
  const MeterBar bars[] = {{100, kPercent, kFirst, "45"}, {0, kPercent, std::nullopt, "N/A"}};
  const IconImage meter = Meter(64, kMeterHeight, bars);
  // "45" is 11 pixels wide: from x = (32 - 11) / 2 = 10, its 9-pixel digits from the
  // caption rows' second row (41) and the font's cap line (2).
  const Box first = BoxOf(
      meter, [](uint32_t p) { return p == Opaque(kFirst); }, 41);
  EXPECT_EQ((std::array{first.left, first.right, first.top, first.bottom}),
            (std::array{10, 20, 43, 51}));
  const Box second = BoxOf(
      meter, [](uint32_t p) { return p == Opaque(kUnsetLit); }, 41);
  ASSERT_FALSE(second.Empty());
  EXPECT_EQ(second.left, 32 + (32 - second.Width()) / 2);
  EXPECT_EQ(second.top, 43);
  // Bars of 32 pixels: columns of (32 - 2 x 5 - 1) / 2 = 10 from x = 5, 16, 37 and 48.
  for (int left : {5, 16}) {
    EXPECT_EQ(SegmentColor(meter, left, 10, 0), Opaque(kFirst));
    EXPECT_EQ(SegmentColor(meter, left, 10, 8), Opaque(kFirst));
  }
  for (int left : {37, 48}) {
    EXPECT_EQ(SegmentColor(meter, left, 10, 0), Opaque(kUnsetUnlit));
    EXPECT_EQ(SegmentColor(meter, left, 10, 8), Opaque(kUnsetUnlit));
  }
  const MeterBar unsetLit{100, kPercent, std::nullopt, {}};
  EXPECT_EQ(SegmentColor(Meter(32, kMeterHeight, std::span(&unsetLit, 1)), 5, 10, 0),
            Opaque(kUnsetLit));
  EXPECT_EQ(DimmedColor(0xFFFFFF, 0x000000), 0x555555u);
  EXPECT_EQ(DimmedColor(0x000000, 0xFFFFFF), 0xAAAAAAu);
}

// round((value - min) x (height - 2) / (max - min)) + 1 within 1 .. height - 1; a scale
// with no room stores 1.
TEST(MonitorGraph, StoresHeightsWithinTheGraph) {
  const MonitorScale temperature{20, 100};
  struct Case {
    double value;
    MonitorScale scale;
    int height;
  } const cases[] = {
      {15, temperature, 1},   {20, temperature, 1},   {60, temperature, 50},
      {100, temperature, 99}, {130, temperature, 99}, {1e300, temperature, 99},
      {50, {50, 50}, 1},      {50, {80, 20}, 1},      {kNoValue, temperature, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(StoredHeight(c.value, c.scale, 100), c.height) << c.value;
}

struct Ring {
  std::vector<float> slots = std::vector<float>(1024, 0.0f);
  uint64_t taken = 0;
  void Push(float value) { slots[taken++ % slots.size()] = value; }
  GraphSeries Series(ColorRef color, MonitorScale scale = kPercent) const {
    return {slots, taken, scale, color};
  }
};

// The grid lies every 12 pixels, the vertical lines from x = (width - 2n) mod 12, in the
// grid colour on the background.
TEST(MonitorGraph, GridScrollsTwoPixelsPerSample) {
  const std::pair<uint64_t, int> firstColumn[] = {{0, 2}, {1, 0}, {4, 6},
                                                  {5, 4}, {7, 0}, {1000, 6}};
  for (auto [added, first] : firstColumn) {
    const IconImage graph = Graph(50, 30, {}, added);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 50; ++x) {
        const bool line = y % 12 == 0 || (x >= first && (x - first) % 12 == 0);
        ASSERT_EQ(graph.At(x, y), Opaque(line ? kGrid : kBackground))
            << "n " << added << " at " << x << "," << y;
      }
    }
  }
}

// One sample more moves everything 2 pixels left: the lines, the grid, and the oldest
// sample drops out at the left edge; the new one comes in from the right.
TEST(MonitorGraph, ScrollsLeftByOneSample) {
  constexpr int kWidth = 60, kHeight = 40;
  Ring first, second;
  for (int i = 0; i < 40; ++i) {
    first.Push(float(50 + 45 * std::sin(i * 0.7)));
    second.Push(float(i % 7 * 15));
  }
  const auto draw = [&] {
    const GraphSeries series[] = {first.Series(kFirst), second.Series(kSecond)};
    return Graph(kWidth, kHeight, series, first.taken);
  };
  const IconImage before = draw();
  first.Push(0.0f);
  second.Push(0.0f);
  const IconImage after = draw();
  EXPECT_GT(Count(before, Opaque(kFirst)), kWidth / 2);
  EXPECT_GT(Count(before, Opaque(kSecond)), kWidth / 4);
  for (int y = 0; y < kHeight; ++y) {
    // Columns 0..2 held the dropped sample's line (a steep one reaches x = 4 before
    // its end point), columns w - 2 and w - 1 take the new one's.
    for (int x = 3; x <= kWidth - 3; ++x) {
      ASSERT_EQ(after.At(x, y), before.At(x + 2, y)) << x << "," << y;
    }
  }
  // The line toward the new sample fills the two columns on the right.
  for (int x : {kWidth - 2, kWidth - 1}) {
    int drawn = 0;
    for (int y = 0; y < kHeight; ++y) drawn += after.At(x, y) == Opaque(kFirst) ? 1 : 0;
    EXPECT_GT(drawn, 0) << x;
  }
}

// A graph 200 pixels wide shows the newest 100 samples, from x = 2 to the newest at
// x = 200, though the ring keeps 1024; the first series lies over the second.
TEST(MonitorGraph, ShowsTheNewestHalfWidthOfSamples) {
  Ring low, high;
  for (int i = 0; i < 1500; ++i) {
    // Only the newest 100 samples lie low; the others would draw at the top.
    low.Push(i >= 1400 ? 0.0f : 100.0f);
    high.Push(0.0f);
  }
  const GraphSeries series[] = {low.Series(kFirst), high.Series(kSecond)};
  const IconImage graph = Graph(200, 50, series, low.taken);
  const Box first = BoxOf(graph, [](uint32_t p) { return p == Opaque(kFirst); });
  EXPECT_EQ(first.left, 2);
  EXPECT_EQ(first.right, 199);
  EXPECT_EQ(first.top, 49);  // stored height 1
  EXPECT_EQ(first.bottom, 49);
  // Wholly under the first series.
  EXPECT_EQ(Count(graph, Opaque(kSecond)), 0);
}

// A sample that is not available leaves a gap; a series with none is not drawn at all;
// a series whose colour is not set is grey.
TEST(MonitorGraph, SamplesNotAvailableLeaveGaps) {
  Ring ring;
  for (float value : {50.0f, 50.0f, NAN, 50.0f, 50.0f}) ring.Push(value);
  const GraphSeries series[] = {ring.Series(kFirst)};
  const IconImage graph = Graph(20, 20, series, ring.taken);
  // Samples at x = 12, 14, (16), 18, 20 on row 20 - 10 = 10.
  std::set<int> drawn;
  for (int x = 0; x < 20; ++x) {
    if (graph.At(x, 10) == Opaque(kFirst)) drawn.insert(x);
  }
  EXPECT_EQ(drawn, (std::set<int>{12, 13, 18, 19}));
  EXPECT_EQ(BoxOf(graph, [](uint32_t p) { return p == Opaque(kFirst); }).Height(), 1);

  Ring none;
  for (int i = 0; i < 10; ++i) none.Push(NAN);
  const GraphSeries nothing[] = {none.Series(kFirst)};
  EXPECT_EQ(Graph(20, 20, nothing, none.taken), Graph(20, 20, {}, none.taken));

  GraphSeries grey = ring.Series(kFirst);
  grey.color.reset();
  EXPECT_EQ(Graph(20, 20, std::span(&grey, 1), ring.taken).At(12, 10), Opaque(kUnsetLit));
}

// On a screen of pixel ratio 2 every pixel of the plain picture is a 2 x 2 block: meters
// and graphs are as sharp as at ratio 1, never smoothed.
TEST(MonitorPictures, AtTwiceTheScaleEveryPixelIsABlock) {
  const MeterBar bars[] = {{63, kPercent, kFirst, "63%"}, {kNoValue, kPercent, kSecond, "N/A"}};
  EXPECT_EQ(Meter(50, 60, bars, 2), ScaleWhole(Meter(50, 60, bars), 2));
  Ring ring;
  for (int i = 0; i < 30; ++i) ring.Push(i % 2 == 0 ? float(i * 3) : NAN);
  for (int i = 0; i < 30; ++i) ring.Push(float(100 - i * 3));
  const GraphSeries series[] = {ring.Series(kFirst)};
  EXPECT_EQ(Graph(70, 40, series, ring.taken, 2), ScaleWhole(Graph(70, 40, series, ring.taken), 2));
}

}  // namespace
}  // namespace pacetta::icons
