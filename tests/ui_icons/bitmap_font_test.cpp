#include "ui/icons/bitmap_font.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ui_icons/pixels.h"

namespace pacetta::icons {
namespace {

struct NamedFont {
  const char* name;
  const BitmapFont& font;
};
const NamedFont kFonts[] = {
    {"small 10", Small10Font()}, {"small 12", Small12Font()}, {"sans 14", Sans14Font()}};

// Every font has every character the icons write, and the texts the icons show fit the
// icon's 16 pixels in the font they are shown in.
TEST(BitmapFont, HasEveryCharacterAndTheIconsTextsFit) {
  for (const NamedFont& named : kFonts) {
    for (char32_t code : std::u32string(U"0123456789.:%\u00B0MHzGN/ATh")) {
      EXPECT_NE(FindGlyph(named.font, code), nullptr)
          << named.name << " U+" << std::hex << uint32_t(code);
    }
  }
  struct Fit {
    const BitmapFont& font;
    const char* text;
  } fits[] = {
      {Small12Font(), "2.40"},      {Small12Font(), "8.88"},      {Small12Font(), "999"},
      {Small12Font(), "N/A"},       {Small12Font(), "105\u00B0"}, {Small12Font(), "212\u00B0"},
      {Small12Font(), "199\u00B0"}, {Small10Font(), "MHz"},       {Small10Font(), "GHz"},
      {Sans14Font(), "45\u00B0"},   {Sans14Font(), "99\u00B0"},   {Sans14Font(), "88\u00B0"},
      {Sans14Font(), "T\u00B0"},    {Small10Font(), "1:25"},      {Small10Font(), "9:59"},
      {Small10Font(), "85%"},       {Small10Font(), "99%"},       {Small10Font(), "100"},
      {Small10Font(), "9h"},        {Small10Font(), "N/A"},
  };
  for (const Fit& fit : fits) {
    const int width = TextWidth(fit.font, fit.text);
    EXPECT_GT(width, 0) << fit.text;
    EXPECT_LE(width, kIconSize) << fit.text;
  }
}

// Glyphs keep their own widths with one pixel between them and none after the last;
// characters a font lacks, and broken UTF-8, are skipped.
TEST(BitmapFont, MeasuresWhatItDraws) {
  for (const NamedFont& named : kFonts) {
    const BitmapFont& font = named.font;
    for (const char* text : {"1", "11", "8.8", "N/A", "1:25", "45\u00B0", "2\u20AC4",
                             "2\xC2"
                             "4"}) {
      IconImage image(64, 16);
      DrawText(image, font, text, 3, 0, 0xFFFFFFFF);
      const Box ink = BoxOf(image, IsOpaque);
      ASSERT_FALSE(ink.Empty()) << named.name << " " << text;
      EXPECT_EQ(ink.left, 3) << named.name << " " << text;
      EXPECT_EQ(ink.Width(), TextWidth(font, text)) << named.name << " " << text;
      EXPECT_GE(ink.top, 0);
      EXPECT_LT(ink.bottom, font.cellHeight) << named.name << " " << text;
    }
    EXPECT_EQ(TextWidth(font, "88"), 2 * FindGlyph(font, U'8')->Width() + 1) << named.name;
    EXPECT_EQ(TextWidth(font, "2\u20AC4"), TextWidth(font, "24")) << named.name;
    EXPECT_EQ(TextWidth(font,
                        "2\xC2"
                        "4"),
              TextWidth(font, "24"))
        << named.name;
    EXPECT_EQ(TextWidth(font, ""), 0) << named.name;
  }
}

// Whatever falls outside the image is dropped, and nothing wraps into the next row.
TEST(BitmapFont, ClipsAtTheImageEdges) {
  for (const NamedFont& named : kFonts) {
    IconImage whole(40, 40);
    DrawText(whole, named.font, "8888888", 0, 0, 0xFFFFFFFF);
    for (auto [dx, dy] : {std::pair{-5, -3}, {9, 7}, {-2, 10}}) {
      IconImage clipped(16, 16);
      DrawText(clipped, named.font, "8888888", dx, dy, 0xFFFFFFFF);
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
          const int wx = x - dx, wy = y - dy;
          const bool inside = wx >= 0 && wy >= 0 && wx < whole.width && wy < whole.height;
          EXPECT_EQ(clipped.At(x, y), inside ? whole.At(wx, wy) : 0u)
              << named.name << " at " << x << "," << y << " drawn from " << dx << "," << dy;
        }
      }
    }
  }
}

}  // namespace
}  // namespace pacetta::icons
