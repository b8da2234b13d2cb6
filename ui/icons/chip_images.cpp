#include <array>
#include <string_view>

#include "ui/icons/program_art.h"
#include "ui/icons/raster.h"
#include "ui/icons/tray_icons.h"

namespace pacetta::icons {
namespace {

// Every picture of the main icon is the same processor chip: four pins on each side, a
// 10 x 10 face (x, y = 3..12) that carries the picture's colour and sign.
// clang-format off
constexpr std::array<std::string_view, 16> kChip = {
    "....p.p..p.p....",
    "....p.p..p.p....",
    "..oooooooooooo..",
    "..o..........o..",
    "ppo..........opp",
    "..o..........o..",
    "ppo..........opp",
    "..o..........o..",
    "..o..........o..",
    "ppo..........opp",
    "..o..........o..",
    "ppo..........opp",
    "..o..........o..",
    "..oooooooooooo..",
    "....p.p..p.p....",
    "....p.p..p.p....",
};

// The signs on the face, 10 x 10: the program's pulse, the unmanaged dash, the saving
// leaf and the full-speed arrows.
constexpr std::array<std::string_view, 10> kPulse = {
    "..........",
    "....#.....",
    "....#.....",
    "...#.#....",
    "...#.#....",
    "##.#..#.##",
    "..#...#.#.",
    "......#.#.",
    ".......#..",
    "..........",
};
constexpr std::array<std::string_view, 10> kDash = {
    "..........",
    "..........",
    "..........",
    "..........",
    ".########.",
    ".########.",
    "..........",
    "..........",
    "..........",
    "..........",
};
constexpr std::array<std::string_view, 10> kLeaf = {
    "..........",
    "......####",
    "....######",
    "...####v##",
    "..####v###",
    "..###v####",
    "..##v####.",
    "...v####..",
    "..v.......",
    ".v........",
};
constexpr std::array<std::string_view, 10> kArrows = {
    "..........",
    "....##....",
    "...####...",
    "..##..##..",
    ".##....##.",
    "....##....",
    "...####...",
    "..##..##..",
    ".##....##.",
    "..........",
};
// clang-format on

constexpr int kFace = 3, kFaceSize = 10;

struct ChipColors {
  uint32_t pins, outline, face;
};
constexpr ChipColors kBlueChip{0xFFB4BCC8, 0xFF5A6878, 0xFF1C2838};
constexpr ChipColors kGreyChip{0xFF9A9A9A, 0xFF5C5C5C, 0xFF6C6C6C};
constexpr ChipColors kGreenChip{0xFFB4BCC8, 0xFF2E5A34, 0xFF1E7A30};
constexpr ChipColors kRedChip{0xFFB4BCC8, 0xFF6A2A24, 0xFFC0301E};
constexpr uint32_t kLevelFill = 0xFF2C74E0;

IconImage Chip(const ChipColors& colors) {
  IconImage image(kIconSize, kIconSize);
  const PaletteEntry palette[] = {{'p', colors.pins}, {'o', colors.outline}};
  DrawArt(image, 0, 0, kChip, palette);
  FillRect(image, kFace, kFace, kFaceSize, kFaceSize, colors.face);
  return image;
}

void DrawSign(IconImage& image, std::span<const std::string_view> sign,
              std::span<const PaletteEntry> palette) {
  DrawArt(image, kFace, kFace, sign, palette);
}

// Level 0..16 of the performance-level pictures: the face fills with blue from the
// bottom, row by row from the left, a sixteenth of its 100 pixels per level (rounded),
// so that every level differs from its neighbours. Level 0 is the program icon and
// level 16 "Performance on demand".
IconImage Level(int level) {
  IconImage image = Chip(kBlueChip);
  const int filled = (level * kFaceSize * kFaceSize + 8) / 16;
  for (int i = 0; i < filled; ++i) {
    PutPixel(image, kFace + i % kFaceSize, kFace + kFaceSize - 1 - i / kFaceSize, kLevelFill);
  }
  // The pulse is white over the filled part and cyan over the empty part.
  for (int row = 0; row < kFaceSize; ++row) {
    for (int column = 0; column < kFaceSize; ++column) {
      if (kPulse[size_t(row)][size_t(column)] != '#') continue;
      const bool over = image.At(kFace + column, kFace + row) == kLevelFill;
      PutPixel(image, kFace + column, kFace + row, over ? 0xFFF2F6FF : 0xFF38E0F0);
    }
  }
  return image;
}

}  // namespace

IconImage ChipImage(int number) {
  switch (number) {
    case 200:
      return Level(0);
    case 201: {
      IconImage image = Chip(kGreyChip);
      DrawSign(image, kDash, std::array{PaletteEntry{'#', 0xFFE4E4E4}});
      return image;
    }
    case 202: {
      IconImage image = Chip(kGreenChip);
      DrawSign(image, kLeaf,
               std::array{PaletteEntry{'#', 0xFFB4F08C}, PaletteEntry{'v', 0xFF5CB848}});
      return image;
    }
    case 203: {
      IconImage image = Chip(kRedChip);
      DrawSign(image, kArrows, std::array{PaletteEntry{'#', 0xFFFFF0C8}});
      return image;
    }
    case 204:
      return Level(16);
    default:
      // 205..219: levels 1..15.
      return number > 204 && number < 220 ? Level(number - 204) : IconImage{};
  }
}

}  // namespace pacetta::icons
