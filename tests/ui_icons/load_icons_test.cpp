#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "tests/ui_icons/pixels.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

constexpr ColorRef kCpu = 0x3080FF, kOs = 0xC0F000;
// Each channel at a third, worked out by hand.
constexpr uint32_t kCpuDim = 0xFF552A10, kOsDim = 0xFF005040;
const LoadColors kColors{kCpu, kOs};

// The colour of each of a bar's five segments (bottom first), or 0 where the segment is
// not one colour.
std::array<uint32_t, 5> Segments(const IconImage& meter, int left) {
  std::array<uint32_t, 5> colors{};
  for (int segment = 0; segment < 5; ++segment) {
    const int top = 13 - 3 * segment;
    colors[size_t(segment)] = meter.At(left, top);
    for (int y = top; y < top + 2; ++y) {
      for (int x = left; x < left + 6; ++x) {
        if (meter.At(x, y) != colors[size_t(segment)]) colors[size_t(segment)] = 0;
      }
    }
  }
  return colors;
}

// floor(load x 6 / 100) segments lit, at most five, the rest at a third of the colour;
// the square around them black, its last column transparent.
TEST(LoadMeter, LightsSegmentsForTheLoadOnABlackSquare) {
  const std::pair<double, int> cases[] = {{0, 0},  {16, 0},  {17, 1},  {50, 3}, {83, 4},
                                          {84, 5}, {100, 5}, {250, 5}, {-1, 0}};
  for (auto [load, lit] : cases) {
    const IconImage meter = DrawLoadMeter(load, load, 0, kColors);
    for (int left : {1, 8}) {
      const auto segments = Segments(meter, left);
      for (int segment = 0; segment < 5; ++segment) {
        EXPECT_EQ(segments[size_t(segment)], segment < lit ? Opaque(kCpu) : kCpuDim)
            << load << "% bar at " << left << " segment " << segment;
      }
    }
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const bool inBar = (x >= 1 && x <= 6) || (x >= 8 && x <= 13);
        const bool inSegment = inBar && y >= 1 && y <= 14 && y % 3 != 0;
        if (!inSegment) {
          EXPECT_EQ(meter.At(x, y), x == 15 ? 0u : 0xFF000000u) << load << " at " << x << "," << y;
        }
      }
    }
  }
}

// Mode 0 shows the processor's load on both bars, 1 the system's, 2 one each; a bar's
// colour is the colour of the load it shows.
TEST(LoadMeter, ModeChoosesLoadAndColourPerBar) {
  struct Case {
    int mode;
    uint32_t first, second;  // the lowest segment: lit colour or dimmed
    uint32_t firstTop, secondTop;
  } cases[] = {
      {0, Opaque(kCpu), Opaque(kCpu), kCpuDim, kCpuDim},
      {1, Opaque(kOs), Opaque(kOs), Opaque(kOs), Opaque(kOs)},
      {2, Opaque(kCpu), Opaque(kOs), kCpuDim, Opaque(kOs)},
  };
  for (const Case& c : cases) {
    const IconImage meter = DrawLoadMeter(20, 95, c.mode, kColors);
    EXPECT_EQ(Segments(meter, 1)[0], c.first) << c.mode;
    EXPECT_EQ(Segments(meter, 8)[0], c.second) << c.mode;
    EXPECT_EQ(Segments(meter, 1)[4], c.firstTop) << c.mode;
    EXPECT_EQ(Segments(meter, 8)[4], c.secondTop) << c.mode;
  }
  EXPECT_EQ(Segments(DrawLoadMeter(0, 0, 1, kColors), 8)[0], kOsDim);
}

constexpr uint32_t kGrid = 0xFF005500;

// The vertical grid lines start at x = 3 - (n mod 3) and repeat every third pixel, so
// they move left with each sample; the horizontal ones lie at y = 1, 4, 7, 10, 13.
TEST(LoadHistory, GridMovesLeftWithEachSample) {
  const std::set<int> columns[] = {{3, 6, 9, 12}, {2, 5, 8, 11, 14}, {1, 4, 7, 10, 13}};
  LoadHistory history;
  for (int n = 0; n <= 5; ++n) {
    const IconImage graph = history.Draw(kColors);
    EXPECT_EQ(history.SamplesTaken(), uint32_t(n));
    const IconImage background = ProgramImage(294);
    for (int y = 0; y < 14; ++y) {  // the lines of a zero load lie on row 14
      for (int x = 0; x < 16; ++x) {
        const bool inside = x >= 1 && x <= 14 && y >= 1;
        const bool line = inside && (y % 3 == 1 || columns[n % 3].count(x) == 1);
        EXPECT_EQ(graph.At(x, y), line ? kGrid : background.At(x, y))
            << "n " << n << " at " << x << "," << y;
      }
    }
    history.Add(0, 0, 2);
  }
}

// Samples floor(load x 14 / 100) (at most 13) are drawn at y = 14 - sample, the newest
// at x = 14, joined by raster lines whose end points are left to the next segment; the
// last segment runs to (15, 15 - newest) and so draws only the newest sample's pixel.
// The first series is drawn over the second.
TEST(LoadHistory, DrawsBothSeriesThroughTheNewestSamples) {
  LoadHistory history;
  // Processor samples 0, 7, 13, 13, 4; the system's 2 throughout.
  for (double cpu : {0.0, 50.0, 100.0, 120.0, 30.0}) history.Add(cpu, 20, 2);
  std::set<std::pair<int, int>> cpuPixels;
  const auto column = [&](int x, int from, int to) {
    for (int y = from; y <= to; ++y) cpuPixels.insert({x, y});
  };
  // (10,14)-(11,7): four pixels then three; (11,7)-(12,1): three then three; (12,1)
  // alone; (13,1)-(14,10): five then four; (14,10) by the final segment.
  column(10, 11, 14), column(11, 5, 10), column(12, 1, 4), column(13, 1, 5), column(14, 6, 10);
  const IconImage graph = history.Draw(kColors);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool cpu = cpuPixels.count({x, y}) == 1;
      const bool os = !cpu && y == 12 && x >= 10 && x <= 14;
      const uint32_t pixel = graph.At(x, y);
      EXPECT_EQ(pixel == Opaque(kCpu), cpu) << x << "," << y;
      EXPECT_EQ(pixel == Opaque(kOs), os) << x << "," << y;
      EXPECT_TRUE(IsOpaque(pixel)) << x << "," << y;
    }
  }
}

// Of more samples than fit, the newest 14 are drawn from x = 1; the rings wrap.
TEST(LoadHistory, ShowsOnlyTheNewestFourteenSamples) {
  LoadHistory history;
  for (int i = 0; i < 6; ++i) history.Add(100, 100, 0);
  for (int i = 0; i < 14; ++i) history.Add(0, 0, 0);
  const IconImage graph = history.Draw(kColors);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(graph.At(x, y) == Opaque(kCpu), y == 14 && x >= 1 && x <= 14) << x << "," << y;
    }
  }
}

// The series' colours follow the mode: the latest sample's, or one given at once.
TEST(LoadHistory, ColoursFollowTheMode) {
  LoadHistory history;
  history.Add(50, 50, 1);
  EXPECT_EQ(history.Draw(kColors).At(14, 7), Opaque(kOs));
  EXPECT_EQ(history.Draw(kColors, 0).At(14, 7), Opaque(kCpu));
  EXPECT_EQ(Count(history.Draw(kColors, 0), Opaque(kOs)), 0);
  history.Add(50, 50, 0);
  EXPECT_EQ(history.Draw(kColors).At(14, 7), Opaque(kCpu));
}

}  // namespace
}  // namespace pacetta::icons
