#include "cpu/advanced/ich/ich_fields.h"

#include <initializer_list>

namespace pacetta::ich {
namespace {

constexpr uint32_t Gens(std::initializer_list<uint32_t> list) {
  uint32_t mask = 0;
  for (uint32_t g : list) mask |= 1u << g;
  return mask;
}

constexpr uint32_t kMobile = Gens({1, 3, 5, 7});
constexpr uint32_t kMobileIch6On = Gens({3, 5, 7});

constexpr std::array<FieldLayout, kFieldCount> kLayouts = {{
    {0xA0, 2, 7, 1, kMobile},                         // C4onC3_EN
    {0xA0, 2, 5, 1, Gens({0, 1})},                    // CPUSLP_EN in C3/C4
    {0xA0, 2, 5, 1, Gens({2, 3, 4, 5, 6, 7, 8}), 4},  // CPUSLP_EN in S1
    {0xA0, 2, 8, 1, Gens({1})},                       // C4 in S1-M
    {0xA9, 1, 4, 1, kMobileIch6On},                   // POPDOWN_EN
    {0xA9, 1, 2, 2, kMobileIch6On, 32, true},         // POPUP_EN
    {0xA0, 2, 12, 1, Gens({7})},                      // C4 disable
    {0xA0, 2, 11, 1, Gens({7})},                      // C5/C6 enable
    {0xAA, 1, 6, 1, Gens({7})},                       // slow C4 exit enable
    {0xA2, 1, 5, 2, Gens({1, 2, 3, 4, 5, 7, 8})},     // CPU PLL lock time
    {0xA8, 1, 0, 6, Gens({0, 1})},                    // CPUSLP# to STPCLK#
    {0xAA, 1, 0, 2, kMobileIch6On},                   // DPSLP# to CPUSLP#
    {0xAA, 1, 2, 2, kMobileIch6On},                   // DPRSLPVR to STPCPU#
    {0xAA, 1, 4, 2, Gens({7})},                       // slow C4 exit delay
}};

}  // namespace

const FieldLayout& LayoutOf(Field field) {
  return kLayouts[static_cast<size_t>(field)];
}

bool Reaches(Field field, uint32_t generation) {
  return generation < 32 && (LayoutOf(field).generations >> generation & 1) != 0;
}

bool HasSetting(Field field, uint32_t generation) {
  return Reaches(field, generation) && generation < LayoutOf(field).keptFrom;
}

uint32_t Extract(Field field, uint32_t image) {
  const FieldLayout& layout = LayoutOf(field);
  const uint32_t bits = (image & layout.Mask()) >> layout.shift;
  if (layout.allOrNone) return bits == (1u << layout.bits) - 1 ? 1 : 0;
  return bits;
}

uint32_t Insert(Field field, uint32_t image, uint32_t value) {
  const FieldLayout& layout = LayoutOf(field);
  if (layout.allOrNone) value = value != 0 ? (1u << layout.bits) - 1 : 0;
  return (image & ~layout.Mask()) | ((value << layout.shift) & layout.Mask());
}

uint32_t DprslpvrEntries(uint32_t generation) {
  return generation == 5 || generation == 7 ? 3 : 2;
}

}  // namespace pacetta::ich
