#include "cpu/names/intel_brand_classes.h"

#include <algorithm>
#include <initializer_list>

namespace pacetta::names {

namespace {

bool OneOf(uint32_t id, std::initializer_list<uint32_t> ids) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

IntelBrand IntelBrandOf(const ProcessorFacts& facts) {
  const uint32_t id = facts.brandId8;
  // On the first Pentium 4 steppings brand id 14 marked the Xeon; from signature 0xF13 on
  // it is the mobile Pentium 4.
  const bool earlyXeon14 =
      facts.family == 15 && facts.model <= 1 && id == 14 && facts.signature < 0xF13;
  IntelBrand brand;
  brand.mobilePentium = OneOf(id, {14, 17, 21}) && !earlyXeon14;
  brand.mobileCeleron = OneOf(id, {7, 15, 19, 23});
  brand.celeronId = OneOf(id, {1, 10, 20});
  brand.celeron = brand.celeronId || facts.Says("celeron");
  brand.pentium3M = facts.family == 6 && OneOf(id, {6, 17, 21});
  const bool xeonWord = facts.Says("xeon");
  brand.xeonMp = id == 12 || (xeonWord && facts.Says("mp"));
  brand.xeon = id == 11 || earlyXeon14 || xeonWord;
  return brand;
}

}  // namespace pacetta::names
