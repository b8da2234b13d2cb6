#include "ui/icons/logos/processor_logos.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cpu/names/logo_ids.h"
#include "tests/ui_icons/pixels.h"
#include "tests/ui_icons/png_file.h"
#include "ui/icons/logos/logo_designs.h"
#include "ui/icons/logos/logo_font.h"

namespace pacetta::icons {
namespace {

// Every number the naming tables return, each a different product.
const std::vector<int> kNamedLogos = {logo::kAthlon,
                                      logo::kMobileAthlon4,
                                      logo::kAthlon64,
                                      logo::kAthlon64Fx,
                                      logo::kMobileAthlon64,
                                      logo::kAthlon64X2,
                                      logo::kAthlonXpPalomino,
                                      logo::kAthlonXp,
                                      logo::kMobileAthlonXpM,
                                      logo::kAthlonMpPalomino,
                                      logo::kAthlonMp,
                                      logo::kOpteron,
                                      logo::kSempron,
                                      logo::kMobileSempron,
                                      logo::kDuron,
                                      logo::kTurion64,
                                      logo::kTurion64X2,
                                      logo::kUnknownAmd,
                                      logo::kCeleron,
                                      logo::kCeleronM,
                                      logo::kCeleronD,
                                      logo::kPentium2,
                                      logo::kPentium2Xeon,
                                      logo::kPentium3,
                                      logo::kPentium3M,
                                      logo::kPentium3Xeon,
                                      logo::kPentiumM,
                                      logo::kPentium4,
                                      logo::kPentium4Ht,
                                      logo::kPentium4ExtremeEdition,
                                      logo::kPentiumD,
                                      logo::kPentiumExtremeEdition,
                                      logo::kXeon,
                                      logo::kCoreSolo,
                                      logo::kCoreDuo,
                                      logo::kCore2Solo,
                                      logo::kCore2Duo,
                                      logo::kCore2Extreme,
                                      logo::kCore2Quad,
                                      logo::kPentiumDualCore,
                                      logo::kUnknownIntel,
                                      logo::kCrusoe,
                                      logo::kEfficeon,
                                      logo::kViaC3,
                                      logo::kViaC7,
                                      logo::kUnknown};

// Every number of the block has its badge, and the products' badges differ from each
// other; numbers outside the block have none.
TEST(ProcessorLogos, EveryNumberHasItsBadgeAndProductsDiffer) {
  for (int id = logo::kFirst; id <= logo::kLast; ++id) {
    const IconImage image = DrawProcessorLogo(id);
    ASSERT_EQ(image.width, kLogoSize) << id;
    ASSERT_EQ(image.height, kLogoSize) << id;
    for (uint32_t pixel : image.pixels) ASSERT_TRUE(pixel == 0 || IsOpaque(pixel)) << id;
    // Rounded: the corners stay transparent, the middle of each edge is drawn.
    EXPECT_EQ(image.At(1, 1), 0u) << id;
    EXPECT_EQ(image.At(kLogoSize - 2, kLogoSize - 2), 0u) << id;
    EXPECT_NE(image.At(kLogoSize / 2, 1), 0u) << id;
    EXPECT_NE(image.At(1, kLogoSize / 2), 0u) << id;
  }
  for (size_t a = 0; a < kNamedLogos.size(); ++a) {
    for (size_t b = 0; b < a; ++b) {
      EXPECT_NE(DrawProcessorLogo(kNamedLogos[a]), DrawProcessorLogo(kNamedLogos[b]))
          << kNamedLogos[a] << " and " << kNamedLogos[b];
    }
  }
  for (int id : {0, logo::kFirst - 1, logo::kLast + 1})
    EXPECT_EQ(DrawProcessorLogo(id), IconImage{});
}

// The maker shows in the band's colour: one colour per maker.
TEST(ProcessorLogos, MakersKeepTheirColours) {
  const auto band = [](int id) { return DrawProcessorLogo(id).At(kLogoSize / 2, 4); };
  EXPECT_EQ(band(logo::kAthlon), band(logo::kOpteron));
  EXPECT_EQ(band(logo::kCeleron), band(logo::kCore2Quad));
  EXPECT_EQ(band(logo::kCrusoe), band(logo::kEfficeon));
  const uint32_t makers[] = {band(logo::kAthlon), band(logo::kCeleron), band(logo::kCrusoe),
                             band(logo::kViaC7), band(logo::kUnknown)};
  for (size_t a = 0; a < std::size(makers); ++a) {
    for (size_t b = 0; b < a; ++b) EXPECT_NE(makers[a], makers[b]) << a << " and " << b;
  }
}

// Every word is drawn whole and inside the badge: a character the font lacks would vanish
// unseen, and a word too wide for its line would run over the border.
TEST(ProcessorLogos, WordsAreWholeAndInsideTheBadge) {
  for (int id = logo::kFirst; id <= logo::kLast; ++id) {
    const LogoDesign design = *LogoDesignOf(id);
    for (std::string_view text : {design.product, design.detail}) {
      for (char c : text) {
        if (c == ' ') continue;
        EXPECT_NE(FindGlyph(LogoFont(), char32_t(c)), nullptr) << id << " '" << c << "'";
      }
    }
    const Box ink = BoxOf(DrawProcessorLogo(id), [](uint32_t p) { return p == 0xFFFFFFFF; });
    ASSERT_FALSE(ink.Empty()) << id;
    EXPECT_GE(ink.left, 4) << id;
    EXPECT_LE(ink.right, kLogoSize - 5) << id;
    EXPECT_GE(ink.top, 4) << id;
    EXPECT_LE(ink.bottom, kLogoSize - 5) << id;
  }
}

// All logos on one sheet, four times their size, for a person to look at: run
//   test_ui_icons --gtest_also_run_disabled_tests --gtest_filter='*LogoSheet*'
// It writes logos.png to $PACETTA_ICON_SHEET_DIR or /tmp/icons.
TEST(ProcessorLogos, DISABLED_LogoSheet) {
  const char* dir = std::getenv("PACETTA_ICON_SHEET_DIR");
  const std::string folder = dir ? dir : "/tmp/icons";
  std::filesystem::create_directories(folder);
  constexpr int kColumns = 8, kGap = 4;
  const int count = logo::kLast - logo::kFirst + 1;
  const int rows = (count + kColumns - 1) / kColumns;
  IconImage sheet(kColumns * (kLogoSize + kGap) + kGap, rows * (kLogoSize + kGap) + kGap,
                  0xFFE8E8E8);
  for (int i = 0; i < count; ++i) {
    const IconImage logo = DrawProcessorLogo(logo::kFirst + i);
    const int x0 = kGap + (i % kColumns) * (kLogoSize + kGap);
    const int y0 = kGap + (i / kColumns) * (kLogoSize + kGap);
    for (int y = 0; y < kLogoSize; ++y) {
      for (int x = 0; x < kLogoSize; ++x) {
        if (logo.At(x, y) != 0) sheet.pixels[size_t(y0 + y) * sheet.width + x0 + x] = logo.At(x, y);
      }
    }
  }
  ASSERT_TRUE(WritePng(ScaleWhole(sheet, 4), folder + "/logos.png"));
  ASSERT_TRUE(WritePng(sheet, folder + "/logos-1x.png"));
}

}  // namespace
}  // namespace pacetta::icons
