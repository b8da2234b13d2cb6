#include "ui/icons/logos/logo_designs.h"

#include "cpu/names/logo_ids.h"

namespace pacetta::icons {
namespace {

// Product-line colours of the stripe.
constexpr uint32_t kAthlonGreen = 0xFF2DB34A, kAthlonOldGreen = 0xFF1F7A3A,
                   kAthlon64Green = 0xFF6CCB2E, kFxRed = 0xFFD32F2F, kOpteronOrange = 0xFFF08A1C,
                   kSempronBlue = 0xFF3D8BD9, kDuronTeal = 0xFF2AA6A6, kTurionGold = 0xFFE0B020,
                   kMobilePurple = 0xFF9C6ADE, kCeleronTeal = 0xFF2FB8C8, kPentiumSky = 0xFF5AB4F0,
                   kPentiumOldNavy = 0xFF274A8C, kXeonSlate = 0xFF8FA3B8, kCoreOrange = 0xFFF0962D,
                   kExtremeRed = 0xFFD8322A, kMobileLime = 0xFFA8D84A, kCrusoeGold = 0xFFE8B84A,
                   kEfficeonCyan = 0xFF4AC8E8, kViaSilver = 0xFFC8C8C8, kViaGold = 0xFFE8C040,
                   kUnknownGrey = 0xFF9A9A9A;

struct Row {
  int id;
  LogoDesign design;
};

using M = LogoMaker;

// clang-format off
constexpr Row kRows[] = {
    {logo::kAthlon,                  {M::kAmd, "Athlon", "", kAthlonOldGreen}},
    {logo::kMobileAthlon4,           {M::kAmd, "Athlon 4", "Mobile", kMobilePurple}},
    {logo::kAthlon64,                {M::kAmd, "Athlon", "64", kAthlon64Green}},
    {logo::kAthlon64Fx,              {M::kAmd, "Athlon", "64 FX", kFxRed}},
    {logo::kMobileAthlon64,          {M::kAmd, "Athlon 64", "Mobile", kMobilePurple}},
    {logo::kAthlon64X2,              {M::kAmd, "Athlon", "64 X2", kAthlon64Green}},
    {logo::kAthlonXpPalomino,        {M::kAmd, "Athlon", "XP", kAthlonOldGreen}},
    {logo::kAthlonXp,                {M::kAmd, "Athlon", "XP", kAthlonGreen}},
    {logo::kMobileAthlonXpM,         {M::kAmd, "Athlon", "XP-M", kMobilePurple}},
    {logo::kAthlonMpPalomino,        {M::kAmd, "Athlon", "MP", kAthlonOldGreen}},
    {logo::kAthlonMp,                {M::kAmd, "Athlon", "MP", kAthlonGreen}},
    {logo::kOpteron,                 {M::kAmd, "Opteron", "", kOpteronOrange}},
    {logo::kSempron,                 {M::kAmd, "Sempron", "", kSempronBlue}},
    {logo::kMobileSempron,           {M::kAmd, "Sempron", "Mobile", kMobilePurple}},
    {logo::kDuron,                   {M::kAmd, "Duron", "", kDuronTeal}},
    {logo::kTurion64,                {M::kAmd, "Turion", "64", kTurionGold}},
    {logo::kTurion64X2,              {M::kAmd, "Turion", "64 X2", kTurionGold}},
    {logo::kCeleron,                 {M::kIntel, "Celeron", "", kCeleronTeal}},
    {logo::kCeleronM,                {M::kIntel, "Celeron", "M", kMobileLime}},
    {logo::kCeleronD,                {M::kIntel, "Celeron", "D", kCeleronTeal}},
    {logo::kPentium2,                {M::kIntel, "Pentium", "II", kPentiumOldNavy}},
    {logo::kPentium2Xeon,            {M::kIntel, "Pentium II", "Xeon", kXeonSlate}},
    {logo::kPentium3,                {M::kIntel, "Pentium", "III", kPentiumOldNavy}},
    {logo::kPentium3M,               {M::kIntel, "Pentium", "III-M", kMobileLime}},
    {logo::kPentium3Xeon,            {M::kIntel, "Pentium III", "Xeon", kXeonSlate}},
    {logo::kPentiumM,                {M::kIntel, "Pentium", "M", kMobileLime}},
    {logo::kPentium4,                {M::kIntel, "Pentium", "4", kPentiumSky}},
    {logo::kPentium4Ht,              {M::kIntel, "Pentium 4", "HT", kPentiumSky}},
    {logo::kPentium4ExtremeEdition,  {M::kIntel, "Pentium 4", "Extreme", kExtremeRed}},
    {logo::kPentiumD,                {M::kIntel, "Pentium", "D", kPentiumSky}},
    {logo::kPentiumExtremeEdition,   {M::kIntel, "Pentium", "Extreme", kExtremeRed}},
    {logo::kXeon,                    {M::kIntel, "Xeon", "", kXeonSlate}},
    {logo::kCoreSolo,                {M::kIntel, "Core", "Solo", kCoreOrange}},
    {logo::kCoreDuo,                 {M::kIntel, "Core", "Duo", kCoreOrange}},
    {logo::kCore2Solo,               {M::kIntel, "Core 2", "Solo", kCoreOrange}},
    {logo::kCore2Duo,                {M::kIntel, "Core 2", "Duo", kCoreOrange}},
    {logo::kCore2Extreme,            {M::kIntel, "Core 2", "Extreme", kExtremeRed}},
    {logo::kCore2Quad,               {M::kIntel, "Core 2", "Quad", kCoreOrange}},
    {logo::kPentiumDualCore,         {M::kIntel, "Pentium", "Dual-Core", kPentiumSky}},
    {logo::kCrusoe,                  {M::kTransmeta, "Crusoe", "", kCrusoeGold}},
    {logo::kEfficeon,                {M::kTransmeta, "Efficeon", "", kEfficeonCyan}},
    {logo::kViaC3,                   {M::kVia, "C3", "", kViaSilver}},
    {logo::kViaC7,                   {M::kVia, "C7", "", kViaGold}},
};
// clang-format on

// The maker whose part of the block `id` lies in, for the numbers that name no product
// (the maker's unknown model among them).
LogoMaker MakerOfBlock(int id) {
  if (id <= 252) return LogoMaker::kAmd;
  if (id <= 280) return LogoMaker::kIntel;
  if (id <= 284) return LogoMaker::kTransmeta;
  if (id <= 287) return LogoMaker::kVia;
  return LogoMaker::kUnknown;
}

}  // namespace

std::optional<LogoDesign> LogoDesignOf(int id) {
  if (id < logo::kFirst || id > logo::kLast) return std::nullopt;
  for (const Row& row : kRows) {
    if (row.id == id) return row.design;
  }
  return LogoDesign{MakerOfBlock(id), "?", "", kUnknownGrey};
}

}  // namespace pacetta::icons
