#include "ui/icons/bitmap_font.h"

#include <algorithm>

#include "ui/icons/raster.h"

namespace pacetta::icons {
namespace {

// Calls `visit` with each code point of UTF-8 `text`; a malformed sequence yields one
// U+FFFD per byte, which no font has.
template <typename Visit>
void ForEachCodePoint(std::string_view text, Visit visit) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = -1;
    char32_t code = 0;
    if (lead < 0x80) {
      extra = 0, code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, code = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, code = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, code = lead & 0x07u;
    }
    bool valid = extra >= 0 && i + size_t(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + size_t(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3Fu);
    }
    visit(valid ? code : char32_t(0xFFFD));
    i += valid ? size_t(extra) + 1 : 1;
  }
}

}  // namespace

const Glyph* FindGlyph(const BitmapFont& font, char32_t code) {
  const auto found = std::find_if(font.glyphs.begin(), font.glyphs.end(),
                                  [code](const Glyph& glyph) { return glyph.code == code; });
  return found == font.glyphs.end() ? nullptr : &*found;
}

int TextWidth(const BitmapFont& font, std::string_view text) {
  int width = 0;
  bool first = true;
  ForEachCodePoint(text, [&](char32_t code) {
    const Glyph* glyph = FindGlyph(font, code);
    if (!glyph) return;
    width += (first ? 0 : 1) + glyph->Width();
    first = false;
  });
  return width;
}

void DrawText(IconImage& image, const BitmapFont& font, std::string_view text, int x, int y,
              uint32_t argb) {
  int penX = x;
  bool first = true;
  ForEachCodePoint(text, [&](char32_t code) {
    const Glyph* glyph = FindGlyph(font, code);
    if (!glyph) return;
    if (!first) ++penX;
    first = false;
    for (int row = 0; row < glyph->Height(); ++row) {
      const std::string_view art = glyph->rows[size_t(row)];
      for (int column = 0; column < glyph->Width(); ++column) {
        if (art[size_t(column)] == '#')
          PutPixel(image, penX + column, y + font.capLine + row, argb);
      }
    }
    penX += glyph->Width();
  });
}

}  // namespace pacetta::icons
