#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "ui/icons/icon_image.h"

namespace pacetta::icons {

// The tray's fonts are our own bitmaps, so the icons look the same on every machine.
// A glyph is drawn as rows of '.' (background) and '#' (ink) from the font's cap line
// down; lower-case letters and punctuation start with blank rows, like a real font's
// glyphs within their cell.
inline constexpr int kMaxGlyphRows = 12;

struct Glyph {
  char32_t code = 0;
  std::array<std::string_view, kMaxGlyphRows> rows{};

  constexpr int Width() const { return int(rows[0].size()); }
  constexpr int Height() const {
    int height = 0;
    while (height < kMaxGlyphRows && !rows[size_t(height)].empty()) ++height;
    return height;
  }
};

struct BitmapFont {
  int cellHeight = 0;  // the text's height for layout
  int capLine = 0;     // the cell row of each glyph's first row
  std::span<const Glyph> glyphs;
};

// The three fonts: "small 12" for the clock's value line and temperatures from 100 on,
// "small 10" for the unit line and the battery's text, "sans 14" for temperatures
// below 100.
const BitmapFont& Small12Font();
const BitmapFont& Small10Font();
const BitmapFont& Sans14Font();

// The glyph for `code`, or null when the font has none.
const Glyph* FindGlyph(const BitmapFont& font, char32_t code);

// The width of UTF-8 `text`: each glyph's own width and one pixel between neighbours.
// Characters the font lacks are skipped, in measuring and in drawing.
int TextWidth(const BitmapFont& font, std::string_view text);

// Draws `text` with its cell's top-left corner at (x, y); only ink pixels are set.
void DrawText(IconImage& image, const BitmapFont& font, std::string_view text, int x, int y,
              uint32_t argb);

// Checked at compile time for every font: rows of one width, only '.' and '#', ink in
// the first and last column (the spacing between glyphs is the font's, not the art's),
// and every glyph inside its cell.
consteval bool WellFormed(const BitmapFont& font) {
  for (const Glyph& glyph : font.glyphs) {
    const int width = glyph.Width(), height = glyph.Height();
    if (width == 0 || font.capLine + height > font.cellHeight) return false;
    bool inkFirst = false, inkLast = false;
    for (int row = 0; row < height; ++row) {
      const std::string_view art = glyph.rows[size_t(row)];
      if (int(art.size()) != width) return false;
      for (char c : art) {
        if (c != '.' && c != '#') return false;
      }
      inkFirst = inkFirst || art.front() == '#';
      inkLast = inkLast || art.back() == '#';
    }
    for (int row = height; row < kMaxGlyphRows; ++row) {
      if (!glyph.rows[size_t(row)].empty()) return false;
    }
    if (!inkFirst || !inkLast) return false;
  }
  return true;
}

}  // namespace pacetta::icons
