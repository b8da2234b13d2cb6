#include "ui/icons/logos/processor_logos.h"

#include <algorithm>
#include <string_view>

#include "ui/icons/logos/logo_designs.h"
#include "ui/icons/logos/logo_font.h"
#include "ui/icons/raster.h"

namespace pacetta::icons {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

struct MakerStyle {
  std::string_view word;  // on the band; empty for an unknown maker
  uint32_t border, body, band;
};

MakerStyle StyleOf(LogoMaker maker) {
  switch (maker) {
    case LogoMaker::kAmd:
      return {"AMD", 0xFF0C0C0C, 0xFF262626, 0xFF0B7A3E};
    case LogoMaker::kIntel:
      return {"intel", 0xFF042C57, 0xFF0A62B8, 0xFF06427E};
    case LogoMaker::kTransmeta:
      return {"Transmeta", 0xFF2A1240, 0xFF5C2E86, 0xFF3D1E5A};
    case LogoMaker::kVia:
      return {"VIA", 0xFF4E0C0E, 0xFFA81E24, 0xFF741418};
    case LogoMaker::kUnknown:
      break;
  }
  return {"", 0xFF3A3A3A, 0xFF707070, 0xFF505050};
}

// The badge: a rounded square with a two-pixel border, the band over its top rows and the
// product line's stripe near its foot.
constexpr int kOuter = 1, kInner = 3, kOuterRadius = 8, kInnerRadius = 6;
constexpr int kBandBottom = 15;
constexpr int kStripeTop = 52, kStripeHeight = 4, kStripeInset = 10;
// Where the product and detail lines are centred, and the width they may take.
constexpr int kTextTop = kBandBottom + 3, kTextBottom = kStripeTop - 2;
constexpr int kTextWidth = kLogoSize - 2 * (kInner + 3);
// Words are set apart by this many pixels, at the line's scale.
constexpr int kWordGap = 3;

bool InsideRounded(int x, int y, int low, int high, int radius) {
  if (x < low || x > high || y < low || y > high) return false;
  // Distance into the corner square, measured from the corner circle's centre.
  const int cx =
      x < low + radius ? low + radius - x : (x > high - radius ? x - (high - radius) : 0);
  const int cy =
      y < low + radius ? low + radius - y : (y > high - radius ? y - (high - radius) : 0);
  return cx * cx + cy * cy <= radius * radius;
}

void FillRounded(IconImage& image, int low, int high, int radius, int rowFrom, int rowTo,
                 uint32_t argb) {
  for (int y = rowFrom; y <= rowTo; ++y) {
    for (int x = low; x <= high; ++x) {
      if (InsideRounded(x, y, low, high, radius)) PutPixel(image, x, y, argb);
    }
  }
}

template <typename Visit>
void ForEachWord(std::string_view text, Visit visit) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) visit(text.substr(start, end - start));
    start = end + 1;
  }
}

int LineWidth(std::string_view text) {
  int width = 0;
  bool first = true;
  ForEachWord(text, [&](std::string_view word) {
    width += (first ? 0 : kWordGap) + TextWidth(LogoFont(), word);
    first = false;
  });
  return width;
}

// Draws `text` centred across the badge with its cell's top at row `y`, every pixel
// repeated `scale` times.
void DrawCentred(IconImage& image, std::string_view text, int y, int scale, uint32_t argb) {
  const int width = LineWidth(text);
  if (width == 0) return;
  IconImage line(width, LogoFont().cellHeight);
  int x = 0;
  ForEachWord(text, [&](std::string_view word) {
    DrawText(line, LogoFont(), word, x, 0, argb);
    x += TextWidth(LogoFont(), word) + kWordGap;
  });
  const IconImage scaled = ScaleWhole(line, scale);
  CopyOpaque(image, (kLogoSize - scaled.width) / 2, y, scaled, 0, 0, scaled.width, scaled.height);
}

// Short product words are drawn twice as large.
int ScaleFor(std::string_view text) {
  return LineWidth(text) * 2 <= kTextWidth ? 2 : 1;
}

}  // namespace

IconImage DrawProcessorLogo(int id) {
  const std::optional<LogoDesign> design = LogoDesignOf(id);
  if (!design) return {};
  const MakerStyle style = StyleOf(design->maker);
  IconImage image(kLogoSize, kLogoSize);
  const int outerHigh = kLogoSize - 1 - kOuter, innerHigh = kLogoSize - 1 - kInner;
  FillRounded(image, kOuter, outerHigh, kOuterRadius, kOuter, outerHigh, style.border);
  FillRounded(image, kInner, innerHigh, kInnerRadius, kInner, innerHigh, style.body);
  FillRounded(image, kInner, innerHigh, kInnerRadius, kInner, kBandBottom, style.band);
  DrawCentred(image, style.word, kInner + 2, 1, kWhite);

  const int productScale = ScaleFor(design->product);
  const int productHeight = LogoFont().cellHeight * productScale;
  const int detailHeight = design->detail.empty() ? 0 : LogoFont().cellHeight + 2;
  const int top = kTextTop + (kTextBottom - kTextTop + 1 - productHeight - detailHeight) / 2;
  DrawCentred(image, design->product, top, productScale, kWhite);
  DrawCentred(image, design->detail, top + productHeight + 2, 1, kWhite);

  FillRect(image, kStripeInset, kStripeTop, kLogoSize - 2 * kStripeInset, kStripeHeight,
           design->accent);
  return image;
}

}  // namespace pacetta::icons
