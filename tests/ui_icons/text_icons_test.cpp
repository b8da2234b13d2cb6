#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/ui_icons/pixels.h"
#include "ui/icons/icon_texts.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

TEST(FrequencyIcon, ChoosesUnitAndRoundsLikeTheClock) {
  struct Case {
    double clock, throttle;
    int mode, units;
    const char *value, *unit;
  } cases[] = {
      {999.4, -1, 0, 0, "999", "MHz"},  {999.6, -1, 0, 0, "1.00", "GHz"},
      {2400, -1, 0, 0, "2.40", "GHz"},  {400, -1, 0, 1, "0.40", "GHz"},
      {2400, 0.5, 1, 0, "1.20", "GHz"}, {1800, 0.5, 1, 0, "900", "MHz"},
      {2400, 0.5, 0, 0, "2.40", "GHz"}, {2400, -1, 1, 0, "2.40", "GHz"},
      {1999, 0.5, 1, 0, "1.00", "GHz"}, {0, -1, 0, 0, "0", "MHz"},
      {-1, 0.5, 1, 0, "N/A", ""},       {-1, -1, 0, 1, "N/A", ""},
  };
  for (const Case& c : cases) {
    const FrequencyLines lines = FrequencyIconLines(c.clock, c.throttle, c.mode, c.units);
    EXPECT_EQ(lines.value, c.value) << c.clock << " x " << c.throttle << " mode " << c.mode;
    EXPECT_EQ(lines.unit, c.unit) << c.clock << " x " << c.throttle << " mode " << c.mode;
  }
}

// Gigahertz read as the C library prints "%3.2f" (round half to even on the binary
// value: 2005 MHz is "2.00", 2345 MHz "2.35"), whatever the locale.
TEST(FrequencyIcon, GigahertzMatchThePrintfFormat) {
  for (int tenth = 10000; tenth < 100000; tenth += 7) {
    const double clock = tenth / 10.0;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%3.2f", clock / 1000);
    ASSERT_EQ(FrequencyIconLines(clock, -1, 0, 1).value, expected) << clock;
  }
}

// The key colour becomes transparent and only the text stays, opaque in its own colour;
// black text is drawn on white so that it does not vanish with the key.
TEST(FrequencyIcon, OnlyTheTextIsOpaqueWhateverItsColour) {
  const IconImage reference = DrawFrequencyIcon(2400, -1, 0, 0, 0x80FFFF);
  for (ColorRef text : {0x000000u, 0xFFFFFFu, 0x010000u, 0x80FFFFu}) {
    const IconImage icon = DrawFrequencyIcon(2400, -1, 0, 0, text);
    int ink = 0;
    for (size_t i = 0; i < icon.pixels.size(); ++i) {
      const bool isInk = reference.pixels[i] != 0;
      EXPECT_EQ(icon.pixels[i], isInk ? Opaque(text) : 0u) << std::hex << text << " at " << i;
      ink += isInk;
    }
    EXPECT_GT(ink, 30) << std::hex << text;
  }
}

// Each line is centred across the icon; the value line fills the top half and the unit
// line the bottom half, with a blank row between them.
TEST(FrequencyIcon, LinesAreCentredInTheirHalves) {
  for (double clock : {999.4, 2400.0, 1111.0, 400.0}) {
    const IconImage icon = DrawFrequencyIcon(clock, -1, 0, 0, 0x80FFFF);
    const Box value = BoxOf(icon, IsOpaque, 0, 7), unit = BoxOf(icon, IsOpaque, 8, 15);
    ASSERT_FALSE(value.Empty() || unit.Empty()) << clock;
    EXPECT_GE(value.top, 0) << clock;
    EXPECT_LT(value.bottom + 1, unit.top) << clock;
    EXPECT_GE(unit.top, 8) << clock;
    for (const Box& line : {value, unit}) {
      const int leftMargin = line.left, rightMargin = 15 - line.right;
      EXPECT_TRUE(leftMargin == rightMargin || leftMargin + 1 == rightMargin)
          << clock << ": " << leftMargin << " / " << rightMargin;
    }
  }
  // Not available: "N/A" alone on the value line.
  const IconImage missing = DrawFrequencyIcon(-1, -1, 0, 0, 0x80FFFF);
  EXPECT_FALSE(BoxOf(missing, IsOpaque, 0, 7).Empty());
  EXPECT_TRUE(BoxOf(missing, IsOpaque, 8, 15).Empty());
}

TEST(TemperatureIcon, ShowsRoundedDegreesInTheChosenUnit) {
  struct Case {
    double celsius;
    int units;
    const char* text;
  } cases[] = {
      {45.4, 0, "45\u00B0"}, {99.5, 0, "100\u00B0"}, {0, 0, "0\u00B0"},  {100, 1, "212\u00B0"},
      {37, 1, "99\u00B0"},   {38, 1, "100\u00B0"},   {-1, 0, "T\u00B0"}, {-1, 1, "T\u00B0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TemperatureIconText(c.celsius, c.units), c.text) << c.celsius << " " << c.units;
  }
}

// The large font below 100 (of the shown unit) and the small one from 100 on, both
// centred; "T°" in red in the large font when no temperature is available.
TEST(TemperatureIcon, FontFollowsTheShownNumberAndTextIsCentred) {
  constexpr int kLarge = 9, kSmall = 7;  // the fonts' digit heights
  struct Case {
    double celsius;
    int units;
    int height;
    uint32_t ink;
  } cases[] = {
      {45, 0, kLarge, Opaque(0x80FFFF)},  {99.4, 0, kLarge, Opaque(0x80FFFF)},
      {100, 0, kSmall, Opaque(0x80FFFF)}, {37, 1, kLarge, Opaque(0x80FFFF)},
      {38, 1, kSmall, Opaque(0x80FFFF)},  {-1, 0, kLarge, 0xFFFF0000},
      {-1, 1, kLarge, 0xFFFF0000},
  };
  for (const Case& c : cases) {
    const IconImage icon = DrawTemperatureIcon(c.celsius, c.units, 0x80FFFF);
    const Box box = BoxOf(icon, IsOpaque);
    ASSERT_FALSE(box.Empty());
    EXPECT_EQ(box.Height(), c.height) << c.celsius << " " << c.units;
    EXPECT_EQ(Count(icon, c.ink) + Count(icon, 0), int(icon.pixels.size()))
        << c.celsius << " " << c.units;
    for (auto [before, after] : {std::pair{box.left, 15 - box.right}, {box.top, 15 - box.bottom}}) {
      EXPECT_TRUE(before == after || before + 1 == after)
          << c.celsius << " " << c.units << ": " << before << " / " << after;
    }
  }
}

}  // namespace
}  // namespace pacetta::icons
