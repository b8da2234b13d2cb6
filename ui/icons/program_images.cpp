#include "ui/icons/program_art.h"
#include "ui/icons/raster.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

// 294: near black with a faint frame, behind the load history's grid and lines.
IconImage GraphBackground() {
  IconImage image(kIconSize, kIconSize, 0xFF0B0F0B);
  FillRect(image, 0, 0, kIconSize, 1, 0xFF1A201A);
  FillRect(image, 0, 0, 1, kIconSize, 0xFF1A201A);
  FillRect(image, 0, kIconSize - 1, kIconSize, 1, 0xFF050705);
  FillRect(image, kIconSize - 1, 0, 1, kIconSize, 0xFF050705);
  return image;
}

}  // namespace

IconImage ProgramImage(int number) {
  if (number >= 200 && number <= 219) return ChipImage(number);
  switch (number) {
    case 292:
      return BatteryBody();
    case 293:
      return BatteryOverlays();
    case 294:
      return GraphBackground();
    default:
      return {};
  }
}

}  // namespace pacetta::icons
