#include <algorithm>

#include "ui/icons/bitmap_font.h"
#include "ui/icons/icon_texts.h"
#include "ui/icons/raster.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

ColorRef SegmentColor(BatteryCharge charge) {
  switch (charge) {
    case BatteryCharge::kLow:
      return 0x1B405B;
    case BatteryCharge::kCritical:
      return 0x1E1E5B;
    default:
      return 0x2A462C;
  }
}

// The overlay strip's cell for the state, or -1 for none; charging (said either way)
// wins over critical.
int OverlayCell(const BatteryIconState& state) {
  if (state.charge == BatteryCharge::kUnknown) return 48;
  if (state.charge == BatteryCharge::kAbsent) return 32;
  if (state.charging || state.charge == BatteryCharge::kCharging) return 16;
  if (state.charge == BatteryCharge::kCritical) return 0;
  return -1;
}

}  // namespace

IconImage DrawBatteryIcon(const BatteryIconState& state) {
  IconImage image = ProgramImage(292);
  if (state.charge != BatteryCharge::kUnknown && state.charge != BatteryCharge::kAbsent) {
    // One 5 x 2 segment per full 20 %, from the bottom (rows 12..13) upward.
    const int segments = std::clamp(state.percent / 20, 0, 4);
    for (int segment = 0; segment < segments; ++segment) {
      FillRect(image, 2, 12 - 3 * segment, 5, 2, Opaque(SegmentColor(state.charge)));
    }
  }
  const std::string text = BatteryIconText(state);
  const BitmapFont& font = Small10Font();
  DrawText(image, font, text, (kIconSize - TextWidth(font, text)) / 2, 8, Opaque(state.text));
  if (const int cell = OverlayCell(state); cell >= 0) {
    CopyOpaque(image, 0, 0, ProgramImage(293), cell, 0, kIconSize, kIconSize);
  }
  // The body's surroundings are pure white.
  ReplacePixels(image, 0xFFFFFFFFu, 0);
  return image;
}

}  // namespace pacetta::icons
