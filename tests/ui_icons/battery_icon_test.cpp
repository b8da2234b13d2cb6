#include <gtest/gtest.h>

#include <string>

#include "tests/ui_icons/pixels.h"
#include "ui/icons/icon_texts.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

constexpr ColorRef kText = 0xFF00FF;  // magenta: found nowhere in the pictures

BatteryIconState State(BatteryCharge charge, int percent, bool charging = false) {
  BatteryIconState state;
  state.charge = charge;
  state.charging = charging;
  state.percent = percent;
  state.remainingSeconds = 3600;
  state.mode = 1;
  state.text = kText;
  return state;
}

TEST(BatteryIcon, TextShowsTimeOrPercentage) {
  struct Case {
    int mode, percent, seconds;
    const char* text;
  } cases[] = {
      {1, 85, -1, "85%"},    {1, 0, -1, "0%"},      {1, 100, -1, "100"}, {1, 120, 60, "120"},
      {1, -1, 60, "N/A"},    {0, 85, 5100, "1:25"}, {0, 85, 60, "0:01"}, {0, 85, 35999, "9:59"},
      {0, 85, 36000, "10h"}, {0, 85, 40000, "11h"}, {0, 85, -1, "N/A"},
  };
  for (const Case& c : cases) {
    BatteryIconState state;
    state.mode = c.mode, state.percent = c.percent, state.remainingSeconds = c.seconds;
    EXPECT_EQ(BatteryIconText(state), c.text) << c.mode << " " << c.percent << " " << c.seconds;
  }
}

// One 5 x 2 segment per full 20 % (at most four) from the bottom up, coloured by the
// charge state; none while the state is unknown or the battery absent. The text may
// cover parts of a segment.
TEST(BatteryIcon, SegmentsShowTheChargeInTheStatesColour) {
  constexpr uint32_t kHigh = Opaque(0x2A462C), kLow = Opaque(0x1B405B),
                     kCritical = Opaque(0x1E1E5B);
  struct Case {
    BatteryCharge charge;
    int percent, segments;
    uint32_t color;
  } cases[] = {
      {BatteryCharge::kHigh, 100, 4, kHigh},        {BatteryCharge::kHigh, 80, 4, kHigh},
      {BatteryCharge::kHigh, 79, 3, kHigh},         {BatteryCharge::kLow, 39, 1, kLow},
      {BatteryCharge::kCritical, 19, 0, kCritical}, {BatteryCharge::kCritical, 20, 1, kCritical},
      {BatteryCharge::kCharging, 60, 3, kHigh},     {BatteryCharge::kHigh, -1, 0, kHigh},
      {BatteryCharge::kUnknown, 100, 0, kHigh},     {BatteryCharge::kAbsent, 100, 0, kHigh},
  };
  for (const Case& c : cases) {
    const IconImage icon = DrawBatteryIcon(State(c.charge, c.percent));
    for (int segment = 0; segment < 4; ++segment) {
      int own = 0, anySegment = 0, other = 0;
      for (int y = 12 - 3 * segment; y < 14 - 3 * segment; ++y) {
        for (int x = 2; x <= 6; ++x) {
          const uint32_t pixel = icon.At(x, y);
          own += pixel == c.color;
          anySegment += pixel == kHigh || pixel == kLow || pixel == kCritical;
          other += pixel != c.color && pixel != Opaque(kText);
        }
      }
      if (segment < c.segments) {
        EXPECT_GT(own, 0) << c.percent << "% segment " << segment;
        EXPECT_EQ(other, 0) << c.percent << "% segment " << segment;
      } else {
        EXPECT_EQ(anySegment, 0) << c.percent << "% segment " << segment;
      }
    }
  }
}

// The status overlay: unknown, then absent, then charging, then critical (charging wins
// over critical); none otherwise. The overlay's transparent pixels keep the body.
TEST(BatteryIcon, OverlayFollowsTheStateInOrder) {
  using C = BatteryCharge;
  struct Case {
    C charge;
    bool charging;
    int cell;  // -1: none
  } cases[] = {
      {C::kUnknown, true, 48}, {C::kAbsent, true, 32},    {C::kCritical, true, 16},
      {C::kHigh, true, 16},    {C::kCharging, false, 16}, {C::kCritical, false, 0},
      {C::kLow, false, -1},    {C::kHigh, false, -1},
  };
  const IconImage strip = ProgramImage(293);
  const IconImage body = ProgramImage(292);
  for (const Case& c : cases) {
    const IconImage icon = DrawBatteryIcon(State(c.charge, 90, c.charging));
    // The top right, above the text.
    for (int y = 0; y < 8; ++y) {
      for (int x = 8; x < 16; ++x) {
        const uint32_t over = c.cell < 0 ? 0 : strip.At(c.cell + x, y);
        const uint32_t under = body.At(x, y) == 0xFFFFFFFF ? 0 : body.At(x, y);
        EXPECT_EQ(icon.At(x, y), IsOpaque(over) ? over : under)
            << "cell " << c.cell << " at " << x << "," << y;
      }
    }
  }
}

// The body's pure white surroundings become transparent; everything drawn stays opaque.
TEST(BatteryIcon, WhiteAroundTheBodyBecomesTransparent) {
  const IconImage body = ProgramImage(292);
  const IconImage icon = DrawBatteryIcon(State(BatteryCharge::kHigh, 85));
  int transparent = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const uint32_t pixel = icon.At(x, y);
      if (body.At(x, y) == 0xFFFFFFFF) {
        EXPECT_TRUE(pixel == 0 || pixel == Opaque(kText)) << x << "," << y;
        transparent += pixel == 0;
      } else {
        EXPECT_TRUE(IsOpaque(pixel)) << x << "," << y;
      }
    }
  }
  EXPECT_GT(transparent, 64);
}

// The text is centred and fills the bottom rows, below the overlays.
TEST(BatteryIcon, TextIsCentredAtTheBottom) {
  struct Case {
    int mode, percent, seconds;
  } cases[] = {{1, 85, -1}, {0, 85, 5100}, {1, -1, -1}, {1, 100, -1}, {0, 50, 40000}};
  for (const Case& c : cases) {
    BatteryIconState state = State(BatteryCharge::kHigh, c.percent);
    state.mode = c.mode, state.remainingSeconds = c.seconds;
    const std::string text = BatteryIconText(state);
    const Box ink = BoxOf(DrawBatteryIcon(state), [](uint32_t p) { return p == Opaque(kText); });
    ASSERT_FALSE(ink.Empty()) << text;
    EXPECT_EQ(ink.bottom, 15) << text;
    EXPECT_GE(ink.top, 8) << text;
    const int left = ink.left, right = 15 - ink.right;
    EXPECT_TRUE(left == right || left + 1 == right) << text << ": " << left << " / " << right;
  }
}

}  // namespace
}  // namespace pacetta::icons
