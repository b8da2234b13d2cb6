#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/ui_icons/png_file.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

// A contact sheet of every icon for a range of values, for a person to look at: run
//   test_ui_icons --gtest_also_run_disabled_tests --gtest_filter='*ContactSheet*'
// It writes sheet.png (x8, transparent pixels as a grey checker) and tray.png (x1 on
// a dark and a light taskbar, then x4) and one x8 sheet per kind of icon to $PACETTA_ICON_SHEET_DIR
// or /tmp/icons.

using Row = std::vector<IconImage>;

std::vector<Row> SheetRows() {
  constexpr ColorRef kYellow = 0x80FFFF;
  std::vector<Row> rows;
  rows.push_back(
      {DrawFrequencyIcon(400, -1, 0, 0, kYellow), DrawFrequencyIcon(999.4, -1, 0, 0, kYellow),
       DrawFrequencyIcon(999.6, -1, 0, 0, kYellow), DrawFrequencyIcon(1800, -1, 0, 0, kYellow),
       DrawFrequencyIcon(2400, -1, 0, 0, kYellow), DrawFrequencyIcon(3666, -1, 0, 0, kYellow),
       DrawFrequencyIcon(800, -1, 0, 1, kYellow), DrawFrequencyIcon(2400, 0.5, 1, 0, kYellow),
       DrawFrequencyIcon(-1, -1, 0, 0, kYellow), DrawFrequencyIcon(2400, -1, 0, 0, 0x000000),
       DrawFrequencyIcon(1860, -1, 0, 0, 0xFFFFFF)});
  rows.push_back({DrawTemperatureIcon(8, 0, kYellow), DrawTemperatureIcon(45, 0, kYellow),
                  DrawTemperatureIcon(67, 0, kYellow), DrawTemperatureIcon(99, 0, kYellow),
                  DrawTemperatureIcon(105, 0, kYellow), DrawTemperatureIcon(45, 1, kYellow),
                  DrawTemperatureIcon(100, 1, kYellow), DrawTemperatureIcon(-1, 0, kYellow),
                  DrawTemperatureIcon(38, 0, 0x000000), DrawTemperatureIcon(123, 0, 0xFFFFFF)});
  const LoadColors colors{0x00FF00, 0xFFFF00};
  Row meters;
  for (double load : {0.0, 16.0, 17.0, 50.0, 83.0, 84.0, 100.0}) {
    meters.push_back(DrawLoadMeter(load, 100 - load, 2, colors));
  }
  meters.push_back(DrawLoadMeter(60, 20, 0, colors));
  meters.push_back(DrawLoadMeter(60, 20, 1, colors));
  rows.push_back(meters);
  Row graphs;
  LoadHistory history;
  graphs.push_back(history.Draw(colors));
  const double cpu[] = {5,  10, 30, 80, 100, 100, 90, 40, 20, 10,
                        50, 70, 65, 30, 0,   0,   45, 95, 99, 60};
  for (int i = 0; i < 20; ++i) {
    history.Add(cpu[i], 20 + (i % 5) * 6, 2);
    if (i == 0 || i == 4 || i == 9 || i == 13 || i == 14 || i == 15 || i == 19) {
      graphs.push_back(history.Draw(colors));
    }
  }
  graphs.push_back(history.Draw(colors, 0));
  rows.push_back(graphs);
  const auto battery = [](BatteryCharge charge, bool charging, int percent, int seconds, int mode) {
    return DrawBatteryIcon({charge, charging, percent, seconds, mode, 0x80FFFF});
  };
  rows.push_back({battery(BatteryCharge::kHigh, false, 85, 5100, 1),
                  battery(BatteryCharge::kHigh, false, 100, 5100, 1),
                  battery(BatteryCharge::kHigh, false, 85, 5100, 0),
                  battery(BatteryCharge::kHigh, false, 85, 40000, 0),
                  battery(BatteryCharge::kLow, false, 30, 1500, 0),
                  battery(BatteryCharge::kCritical, false, 9, 300, 1),
                  battery(BatteryCharge::kHigh, true, 60, -1, 0),
                  battery(BatteryCharge::kCritical, true, 4, -1, 1),
                  battery(BatteryCharge::kUnknown, false, -1, -1, 0),
                  battery(BatteryCharge::kAbsent, false, -1, -1, 1)});
  rows.push_back({ProgramImage(200), ProgramImage(201), ProgramImage(202), ProgramImage(203),
                  ProgramImage(204), ProgramImage(292), ProgramImage(293), ProgramImage(294)});
  Row levels{ProgramImage(200)};
  for (int number = 205; number <= 219; ++number) levels.push_back(ProgramImage(number));
  levels.push_back(ProgramImage(204));
  rows.push_back(levels);
  return rows;
}

// Places `image` at (x, y) of `sheet`, `scale` times, over `backdrop` (a checker when
// `checker` is set, so that transparency shows).
void Place(IconImage& sheet, const IconImage& image, int x, int y, int scale, uint32_t backdrop,
           bool checker) {
  for (int row = 0; row < image.height * scale; ++row) {
    for (int column = 0; column < image.width * scale; ++column) {
      uint32_t pixel = image.At(column / scale, row / scale);
      if (pixel >> 24 == 0) {
        const bool odd = (column / scale + row / scale) % 2 == 1;
        pixel = checker && odd ? 0xFF8A8A8A : backdrop;
      }
      sheet.pixels[size_t(y + row) * sheet.width + x + column] = pixel;
    }
  }
}

IconImage Sheet(const std::vector<Row>& rows, int scale, int gap, uint32_t backdrop, bool checker) {
  int width = 0, height = gap;
  for (const Row& row : rows) {
    int rowWidth = gap;
    for (const IconImage& image : row) rowWidth += image.width * scale + gap;
    width = std::max(width, rowWidth);
    height += 16 * scale + gap;
  }
  IconImage sheet(width, height, backdrop | 0xFF000000u);
  int y = gap;
  for (const Row& row : rows) {
    int x = gap;
    for (const IconImage& image : row) {
      Place(sheet, image, x, y, scale, checker ? 0xFF6E6E6E : backdrop, checker);
      x += image.width * scale + gap;
    }
    y += 16 * scale + gap;
  }
  return sheet;
}

TEST(ContactSheet, DISABLED_WritesTheSheets) {
  const char* dir = std::getenv("PACETTA_ICON_SHEET_DIR");
  const std::string folder = dir ? dir : "/tmp/icons";
  std::filesystem::create_directories(folder);
  const std::vector<Row> rows = SheetRows();
  ASSERT_TRUE(WritePng(Sheet(rows, 8, 16, 0xFF303030, true), folder + "/sheet.png"));
  // The tray at its real size: a dark and a light taskbar side by side, then doubled.
  IconImage dark = Sheet(rows, 1, 4, 0xFF202428, false);
  IconImage light = Sheet(rows, 1, 4, 0xFFDCDCDC, false);
  IconImage both(dark.width + light.width, dark.height);
  for (int y = 0; y < dark.height; ++y) {
    for (int x = 0; x < dark.width; ++x) {
      both.pixels[size_t(y) * both.width + x] = dark.At(x, y);
      both.pixels[size_t(y) * both.width + dark.width + x] = light.At(x, y);
    }
  }
  ASSERT_TRUE(WritePng(both, folder + "/tray-1x.png"));
  ASSERT_TRUE(WritePng(ScaleWhole(dark, 4), folder + "/tray-dark-4x.png"));
  ASSERT_TRUE(WritePng(ScaleWhole(light, 4), folder + "/tray-light-4x.png"));
  // One sheet per kind of icon, for a closer look.
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_TRUE(WritePng(Sheet({rows[i]}, 8, 16, 0xFF303030, true),
                         folder + "/sheet-" + std::to_string(i + 1) + ".png"));
  }
}

}  // namespace
}  // namespace pacetta::icons
