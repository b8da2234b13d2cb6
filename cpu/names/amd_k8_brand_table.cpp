// K8 before revision F: the brand table row and the model number field NN of the brand id
// give the marketing name. Each row scales NN into the number the name carries.
#include "cpu/names/logo_ids.h"
#include "cpu/names/name_facts.h"
#include "cpu/names/processor_names.h"

namespace pacetta {

namespace {

struct BrandRow {
  uint32_t first, last;  // brand table rows
  const char* format;
  int scale, offset;  // the number is scale * NN + offset
  int logo;
};

constexpr int kOpteron = logo::kOpteron;

// clang-format off
constexpr BrandRow kBrandRows[] = {
    {0, 0, "AMD Engineering Sample %02d", 1, 0, logo::kUnknownAmd},
    {4, 4, "AMD Athlon(TM) 64 %02d00+", 1, 22, logo::kAthlon64},
    {5, 5, "AMD Athlon(TM) 64 X2 Dual Core %02d00+", 1, 22, logo::kAthlon64X2},
    {6, 6, "AMD Athlon(TM) 64 FX-%02d Dual Core", 1, 24, logo::kAthlon64Fx},
    {8, 9, "Mobile AMD Athlon(TM) 64 %02d00+", 1, 22, logo::kMobileAthlon64},
    {10, 10, "AMD Turion(TM) 64 Mobile Technology ML-%02d", 1, 22, logo::kTurion64},
    {11, 11, "AMD Turion(TM) 64 Mobile Technology MT-%02d", 1, 22, logo::kTurion64},
    {12, 13, "AMD Opteron(TM) 1%02d", 2, 38, kOpteron},
    {14, 14, "AMD Opteron(TM) 1%02d HE", 2, 38, kOpteron},
    {15, 15, "AMD Opteron(TM) 1%02d EE", 2, 38, kOpteron},
    {16, 17, "AMD Opteron(TM) 2%02d", 2, 38, kOpteron},
    {18, 18, "AMD Opteron(TM) 2%02d HE", 2, 38, kOpteron},
    {19, 19, "AMD Opteron(TM) 2%02d EE", 2, 38, kOpteron},
    {20, 21, "AMD Opteron(TM) 8%02d", 2, 38, kOpteron},
    {22, 22, "AMD Opteron(TM) 8%02d HE", 2, 38, kOpteron},
    {23, 23, "AMD Opteron(TM) 8%02d EE", 2, 38, kOpteron},
    {24, 24, "AMD Athlon(TM) 64 %02d00+", 1, 9, logo::kAthlon64},
    {29, 30, "Mobile AMD Athlon(TM) XP-M %02d00+", 1, 22, logo::kMobileAthlonXpM},
    {32, 32, "AMD Athlon(TM) XP %02d00+", 1, 22, logo::kAthlonXp},
    {33, 33, "Mobile AMD Sempron(TM) %02d00+", 1, 24, logo::kMobileSempron},
    {34, 34, "AMD Sempron(TM) %02d00+", 1, 24, logo::kSempron},
    {35, 35, "Mobile AMD Sempron(TM) %02d00+", 1, 24, logo::kMobileSempron},
    {36, 36, "AMD Athlon(TM) 64 FX-%02d", 1, 24, logo::kAthlon64Fx},
    {38, 38, "AMD Sempron(TM) 64 %02d00+", 1, 24, logo::kSempron},
    // Dual-core Opterons: (NN + 9) * 5.
    {41, 41, "Dual Core AMD Opteron(TM) 1%02d SE", 5, 45, kOpteron},
    {42, 42, "Dual Core AMD Opteron(TM) 2%02d SE", 5, 45, kOpteron},
    {43, 43, "Dual Core AMD Opteron(TM) 8%02d SE", 5, 45, kOpteron},
    {44, 45, "Dual Core AMD Opteron(TM) 1%02d", 5, 45, kOpteron},
    {46, 46, "Dual Core AMD Opteron(TM) 1%02d HE", 5, 45, kOpteron},
    {47, 47, "Dual Core AMD Opteron(TM) 1%02d EE", 5, 45, kOpteron},
    {48, 49, "Dual Core AMD Opteron(TM) 2%02d", 5, 45, kOpteron},
    {50, 50, "Dual Core AMD Opteron(TM) 2%02d HE", 5, 45, kOpteron},
    {51, 51, "Dual Core AMD Opteron(TM) 2%02d EE", 5, 45, kOpteron},
    {52, 53, "Dual Core AMD Opteron(TM) 8%02d", 5, 45, kOpteron},
    {54, 54, "Dual Core AMD Opteron(TM) 8%02d HE", 5, 45, kOpteron},
    {55, 55, "Dual Core AMD Opteron(TM) 8%02d EE", 5, 45, kOpteron},
    {56, 56, "Dual Core AMD Opteron(TM) 1%02d", 5, 45, kOpteron},
    {57, 57, "Dual Core AMD Opteron(TM) 2%02d", 5, 45, kOpteron},
    {58, 58, "Dual Core AMD Opteron(TM) 8%02d", 5, 45, kOpteron},
};
// clang-format on

}  // namespace

int NameK8ByBrandId(uint32_t index, uint32_t nn, ModelText& model) {
  if (nn != 0) {
    for (const BrandRow& row : kBrandRows) {
      if (index < row.first || index > row.last) continue;
      model = names::WithNumber(row.format, row.scale * static_cast<long long>(nn) + row.offset);
      return row.logo;
    }
  }
  model = "AMD Processor model unknown";
  return logo::kUnknownAmd;
}

}  // namespace pacetta
