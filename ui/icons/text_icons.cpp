#include <optional>
#include <string_view>

#include "ui/icons/bitmap_font.h"
#include "ui/icons/icon_texts.h"
#include "ui/icons/raster.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

// The text icons are drawn on a key colour that then becomes transparent: black, or
// white when the text itself is black, so that black text stays visible.
uint32_t KeyFor(ColorRef text) {
  return (text & 0xFFFFFFu) == 0 ? Opaque(0xFFFFFF) : Opaque(0);
}

void DrawCentredLine(IconImage& image, const BitmapFont& font, std::string_view text, int y,
                     uint32_t argb) {
  DrawText(image, font, text, (kIconSize - TextWidth(font, text)) / 2, y, argb);
}

}  // namespace

IconImage DrawFrequencyIcon(double clockMhz, double throttle, int32_t freqIconMode,
                            int32_t freqIconUnits, ColorRef text) {
  const uint32_t key = KeyFor(text);
  IconImage image(kIconSize, kIconSize, key);
  const FrequencyLines lines = FrequencyIconLines(clockMhz, throttle, freqIconMode, freqIconUnits);
  // The two lines share the icon's height: the value line's cell is centred on the top
  // half, the unit line's cell starts eight pixels lower.
  const int valueTop = (kIconSize / 2 - Small12Font().cellHeight) / 2;
  DrawCentredLine(image, Small12Font(), lines.value, valueTop, Opaque(text));
  DrawCentredLine(image, Small10Font(), lines.unit, valueTop + kIconSize / 2, Opaque(text));
  ReplacePixels(image, key, 0);
  return image;
}

IconImage DrawTemperatureIcon(double celsius, int32_t tempUnits, ColorRef text) {
  const std::optional<long long> shown = ShownTemperature(celsius, tempUnits);
  // Not available: "T°" in red.
  const ColorRef color = shown ? text : ColorRef{0x0000FF};
  // Three digits need the narrower font.
  const BitmapFont& font = shown && *shown >= 100 ? Small12Font() : Sans14Font();
  const uint32_t key = KeyFor(color);
  IconImage image(kIconSize, kIconSize, key);
  DrawCentredLine(image, font, TemperatureIconText(celsius, tempUnits),
                  (kIconSize - font.cellHeight) / 2, Opaque(color));
  ReplacePixels(image, key, 0);
  return image;
}

}  // namespace pacetta::icons
