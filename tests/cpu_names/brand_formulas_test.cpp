// AMD's brand identifiers decoded into model names, for each of the three encodings.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cpu/names/processor_names.h"

namespace pacetta {
namespace {

struct FormulaCase {
  const char* what;
  std::function<int(ModelText&)> decode;
  const char* model;
  int logo;
};

// Family 16 brand id: string index high part in bits 14..11, model number in bits 10..4,
// string index low part in bits 3..0.
uint32_t Family16BrandId(uint32_t stringIndex, uint32_t modelNumber) {
  return (stringIndex / 16) << 11 | modelNumber << 4 | (stringIndex % 16);
}

TEST(BrandFormulas, DecodeEachEncodingIntoItsName) {
  const FormulaCase cases[] = {
      // Before revision F: the row picks the format, NN scales per row.
      {"Opteron 1xx: 2 NN + 38", [](ModelText& m) { return NameK8ByBrandId(12, 10, m); },
       "AMD Opteron(TM) 158", 244},
      {"dual-core Opteron: (NN + 9) 5, three digits",
       [](ModelText& m) { return NameK8ByBrandId(56, 31, m); }, "Dual Core AMD Opteron(TM) 1200",
       244},
      {"Athlon 64 of row 24: NN + 9", [](ModelText& m) { return NameK8ByBrandId(24, 23, m); },
       "AMD Athlon(TM) 64 3200+", 235},
      {"engineering sample, zero padded", [](ModelText& m) { return NameK8ByBrandId(0, 7, m); },
       "AMD Engineering Sample 07", 250},
      {"NN 0 names nothing", [](ModelText& m) { return NameK8ByBrandId(4, 0, m); },
       "AMD Processor model unknown", 250},
      {"row 3 is not in the table", [](ModelText& m) { return NameK8ByBrandId(3, 4, m); },
       "AMD Processor model unknown", 250},
      {"row 59 is past the table", [](ModelText& m) { return NameK8ByBrandId(59, 1, m); },
       "AMD Processor model unknown", 250},
      // Revisions F and G: package type, core capability and key = string1 * 16 + power.
      {"AM2 dual core, key 66", [](ModelText& m) { return NameK8NptByBrandId(3, 1, 4, 2, 15, m); },
       "AMD Athlon(TM) 64 X2 Dual Core 4000+", 238},
      {"AM2 single core, key 72, before the dual-core rows",
       [](ModelText& m) { return NameK8NptByBrandId(3, 0, 4, 8, 20, m); },
       "AMD Athlon(TM) 64 3500+", 235},
      {"AM2 single core, a key only the dual-core rows know",
       [](ModelText& m) { return NameK8NptByBrandId(3, 0, 5, 12, 30, m); },
       "AMD Athlon(TM) 64 FX-87 Dual Core", 236},
      {"socket F: NN - 1", [](ModelText& m) { return NameK8NptByBrandId(1, 1, 4, 10, 19, m); },
       "Dual Core AMD Opteron(TM) 8218", 244},
      {"S1g1 Turion X2", [](ModelText& m) { return NameK8NptByBrandId(0, 1, 2, 12, 27, m); },
       "AMD Turion(TM) 64 X2 Mobile Technology TL-56", 249},
      {"S1g1 single core", [](ModelText& m) { return NameK8NptByBrandId(0, 0, 2, 12, 27, m); },
       "AMD Processor model unknown", 250},
      {"core capability 2", [](ModelText& m) { return NameK8NptByBrandId(3, 2, 4, 2, 15, m); },
       "AMD Processor model unknown", 250},
      {"key 0", [](ModelText& m) { return NameK8NptByBrandId(3, 1, 0, 0, 5, m); },
       "AMD Engineering Sample 05", 250},
      {"key 0 with NN 0", [](ModelText& m) { return NameK8NptByBrandId(3, 1, 0, 0, 0, m); },
       "AMD Processor model unknown", 250},
      // Family 16: string index by core count, model number in the name.
      {"two cores, index 31",
       [](ModelText& m) { return NameFamily16ByBrandId(Family16BrandId(31, 50), 0, 2, m); },
       "Dual-Core AMD Opteron(tm) Processor 2350", 244},
      {"four cores, index 31",
       [](ModelText& m) { return NameFamily16ByBrandId(Family16BrandId(31, 50), 0, 4, m); },
       "Quad-Core AMD Opteron(tm) Processor 2350", 244},
      {"four cores, embedded 13xx",
       [](ModelText& m) { return NameFamily16ByBrandId(Family16BrandId(74, 3), 0, 4, m); },
       "Embedded AMD Opteron(tm) Processor 1303 SE", 244},
      {"two cores do not have the embedded rows",
       [](ModelText& m) { return NameFamily16ByBrandId(Family16BrandId(74, 3), 0, 2, m); },
       "AMD Processor model unknown", 250},
      {"three cores",
       [](ModelText& m) { return NameFamily16ByBrandId(Family16BrandId(31, 50), 0, 3, m); },
       "AMD Processor model unknown", 250},
      {"another package",
       [](ModelText& m) { return NameFamily16ByBrandId(Family16BrandId(31, 50), 1, 4, m); },
       "AMD Processor model unknown", 250},
      {"bit 15 with a model number",
       [](ModelText& m) {
         return NameFamily16ByBrandId(0x8000 | Family16BrandId(31, 50), 0, 4, m);
       },
       "AMD Processor model unknown", 250},
      {"model number 0", [](ModelText& m) { return NameFamily16ByBrandId(0x000F, 0, 4, m); },
       "AMD Engineering Sample", 250},
      {"model number 0 with bit 15",
       [](ModelText& m) { return NameFamily16ByBrandId(0x800F, 0, 4, m); }, "AMD Thermal Test Kit",
       250},
  };
  for (const FormulaCase& c : cases) {
    ModelText model("left over from another processor");
    EXPECT_EQ(c.decode(model), c.logo) << c.what;
    EXPECT_EQ(model.View(), c.model) << c.what;
  }
}

}  // namespace
}  // namespace pacetta
