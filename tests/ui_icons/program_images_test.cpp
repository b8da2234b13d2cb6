#include <gtest/gtest.h>

#include <vector>

#include "tests/ui_icons/pixels.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

int Visible(const IconImage& image) {
  return int(image.pixels.size()) - Count(image, 0);
}

// Every picture the program loads exists at its size, and nothing else does.
TEST(ProgramImage, EveryNumberHasItsPicture) {
  std::vector<int> numbers = {292, 293, 294};
  for (int number = 200; number <= 219; ++number) numbers.push_back(number);
  for (int number : numbers) {
    const IconImage image = ProgramImage(number);
    EXPECT_EQ(image.width, number == 293 ? 4 * kIconSize : kIconSize) << number;
    EXPECT_EQ(image.height, kIconSize) << number;
    EXPECT_EQ(image.pixels.size(), size_t(image.width) * image.height) << number;
    EXPECT_GT(Visible(image), 40) << number;
    for (uint32_t pixel : image.pixels) {
      ASSERT_TRUE(pixel == 0 || IsOpaque(pixel)) << number;
    }
  }
  // The graph's background is opaque all over.
  EXPECT_EQ(Count(ProgramImage(294), 0), 0);
  for (int number : {0, 199, 220, 291, 295}) EXPECT_EQ(ProgramImage(number), IconImage{});
}

// The performance levels run from the program icon (level 0) through 205..219 to 204
// (level 16): each differs from every other, and each is further from level 0.
TEST(ProgramImage, PerformanceLevelsAreDistinctAndOrdered) {
  std::vector<IconImage> levels{ProgramImage(200)};
  for (int number = 205; number <= 219; ++number) levels.push_back(ProgramImage(number));
  levels.push_back(ProgramImage(204));
  int previous = 0;
  for (size_t level = 0; level < levels.size(); ++level) {
    for (size_t other = 0; other < level; ++other) {
      EXPECT_NE(levels[level], levels[other]) << level << " and " << other;
    }
    int changed = 0;
    for (size_t i = 0; i < levels[level].pixels.size(); ++i) {
      changed += levels[level].pixels[i] != levels[0].pixels[i];
    }
    if (level > 0) {
      EXPECT_GT(changed, previous) << "level " << level;
    }
    previous = changed;
  }
  // The four profiles look different.
  for (int a = 201; a <= 204; ++a) {
    for (int b = 200; b < a; ++b) EXPECT_NE(ProgramImage(a), ProgramImage(b)) << a << " " << b;
  }
}

// The battery pictures keep what the battery icon needs: pure white (made transparent)
// only around the body, the charge segments' area inside it, and each status overlay
// in the right half of its cell, clear of the segments.
TEST(ProgramImage, BatteryPicturesLeaveRoomForTheSegments) {
  const IconImage body = ProgramImage(292);
  for (int y = 3; y <= 13; ++y) {
    for (int x = 2; x <= 6; ++x) {
      EXPECT_TRUE(IsOpaque(body.At(x, y)) && body.At(x, y) != 0xFFFFFFFF) << x << "," << y;
    }
  }
  EXPECT_EQ(body.At(15, 0), 0xFFFFFFFF);
  EXPECT_EQ(body.At(0, 15), 0xFFFFFFFF);
  const IconImage strip = ProgramImage(293);
  EXPECT_EQ(Count(strip, 0xFFFFFFFF), 0);
  for (int cell = 0; cell < 4; ++cell) {
    int visible = 0;
    for (int y = 0; y < kIconSize; ++y) {
      for (int x = 0; x < kIconSize; ++x) {
        const bool drawn = strip.At(cell * kIconSize + x, y) != 0;
        if (x < 8) {
          EXPECT_FALSE(drawn) << "cell " << cell << " at " << x << "," << y;
        }
        visible += drawn;
      }
    }
    EXPECT_GT(visible, 20) << "cell " << cell;
  }
}

TEST(ScaleWhole, RepeatsEachPixelInBothDirections) {
  IconImage image(2, 1);
  image.pixels = {0xFF112233, 0};
  const IconImage scaled = ScaleWhole(image, 3);
  ASSERT_EQ(scaled.width, 6);
  ASSERT_EQ(scaled.height, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(scaled.At(x, y), x < 3 ? 0xFF112233u : 0u) << x << "," << y;
  }
  EXPECT_EQ(ScaleWhole(image, 1), image);
  EXPECT_EQ(ScaleWhole(image, 0), image);
}

}  // namespace
}  // namespace pacetta::icons
