#include <array>
#include <string_view>

#include "ui/icons/program_art.h"
#include "ui/icons/raster.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

// Pure white ('w') becomes transparent once the battery icon is drawn; the light parts
// of the pictures are therefore a shade off white ('l').
constexpr PaletteEntry kPalette[] = {
    {'w', 0xFFFFFFFF}, {'k', 0xFF505050}, {'s', 0xFF505050}, {'i', 0xFF9C9C9C},
    {'l', 0xFFF6F6F6}, {'r', 0xFFD82020}, {'y', 0xFFFFD21E}, {'b', 0xFF2868D0},
};

// A vertical battery on the left: its inner area (x = 2..6, y = 3..13) takes the charge
// segments; the right half stays free for the status overlays.
// clang-format off
constexpr std::array<std::string_view, 16> kBody = {
    "wwwwwwwwwwwwwwww",
    "wwwsssswwwwwwwww",
    "wkkkkkkkwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkiiiiikwwwwwwww",
    "wkkkkkkkwwwwwwww",
    "wwwwwwwwwwwwwwww",
};

// Each 8 x 8 overlay sits in the top right of its 16 x 16 cell, clear of the charge
// segments and of the text below.
constexpr std::array<std::string_view, 8> kCritical = {
    "..rrrr..",
    ".rrllrr.",
    "rrrllrrr",
    "rrrllrrr",
    "rrrllrrr",
    "rrrrrrrr",
    ".rrllrr.",
    "..rrrr..",
};
constexpr std::array<std::string_view, 8> kCharging = {
    "...kkkkk",
    "..kyyyk.",
    ".kyyyk..",
    "kyyyyyyk",
    "kkkyyyk.",
    "..kyyk..",
    ".kyyk...",
    ".kkk....",
};
constexpr std::array<std::string_view, 8> kAbsent = {
    "rr....rr",
    "rrr..rrr",
    ".rrrrrr.",
    "..rrrr..",
    "..rrrr..",
    ".rrrrrr.",
    "rrr..rrr",
    "rr....rr",
};
constexpr std::array<std::string_view, 8> kUnknown = {
    "..bbbb..",
    ".bllllb.",
    "bllbbllb",
    "bbbbbllb",
    "bbbbllbb",
    "bbbllbbb",
    ".bbbbbb.",
    "..bllb..",
};
// clang-format on

}  // namespace

IconImage BatteryBody() {
  IconImage image(kIconSize, kIconSize);
  DrawArt(image, 0, 0, kBody, kPalette);
  return image;
}

IconImage BatteryOverlays() {
  IconImage strip(4 * kIconSize, kIconSize);
  DrawArt(strip, 0 + 8, 0, kCritical, kPalette);
  DrawArt(strip, 16 + 8, 0, kCharging, kPalette);
  DrawArt(strip, 32 + 8, 0, kAbsent, kPalette);
  DrawArt(strip, 48 + 8, 0, kUnknown, kPalette);
  return strip;
}

}  // namespace pacetta::icons
