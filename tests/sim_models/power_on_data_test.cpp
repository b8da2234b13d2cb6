#include "platform/sim/models/power_on_data.h"

#include <gtest/gtest.h>

#include "model_rig.h"
#include "platform/sim/models/published_parts.h"
#include "platform/sim/models/vid_codes.h"

namespace pacetta::sim::testing {
namespace {

// The voltage a code stands for, for checking the table's order (higher state, higher
// voltage). Only the order matters: the encodings run up or down with the code.
double Volts(ModelFamily family, uint32_t vid) {
  switch (family) {
    case ModelFamily::kAmdK8:
      return vid < 32 ? 1.55 - 0.025 * vid : 0.7625 - 0.0125 * (vid - 32);
    case ModelFamily::kAmdK7:
      return 2.0 - 0.05 * vid;  // the rows' codes are all below 15
    default:
      return 0.7 + 0.0125 * vid;
  }
}

double Multiplier(ModelFamily family, uint32_t fid) {
  if (family == ModelFamily::kAmdK8) return 4.0 + fid / 2.0;
  if (family == ModelFamily::kAmdK7) return codes::kK7Multipliers[fid & 0x1F];
  return fid;
}

TEST(PublishedParts, EveryRowIsAConsistentPart) {
  for (const PublishedPart& part : PublishedParts()) {
    SCOPED_TRACE(part.name);
    EXPECT_GE(Multiplier(part.family, part.high.fid), Multiplier(part.family, part.low.fid));
    EXPECT_GE(Volts(part.family, part.high.vid), Volts(part.family, part.low.vid));
    if (part.family == ModelFamily::kAmdK8) {
      EXPECT_LE(part.high.fid, 42u);
      EXPECT_LE(part.low.vid, 63u);
    }
    if (part.ida) {
      EXPECT_GT(part.ida->fid, part.high.fid);
      EXPECT_GE(part.ida->vid, part.high.vid);
    }
    if (part.superLfm) {
      EXPECT_LE(part.superLfm->vid, part.low.vid);
    }
  }
}

TEST(PowerOnData, VoltageCodesOfTheDatasheets) {
  EXPECT_EQ(codes::K8Vid(1.50), 2u);
  EXPECT_EQ(codes::K8NptVid(0.95), 24u);
  EXPECT_EQ(codes::K8NptVid(0.7375), 34u);  // 12.5 mV range
  EXPECT_EQ(codes::K7MobileVid(1.45), 11u);
  EXPECT_EQ(codes::K7MobileVid(1.20), 19u);
  EXPECT_DOUBLE_EQ(codes::K7MobileVolts(15), 0.0);  // off
  EXPECT_EQ(codes::K7Fid(14.0), 22u);
  EXPECT_EQ(codes::PentiumMVid(1.484), 49u);
  EXPECT_EQ(codes::MobileCoreVid(1.2875), 46u);
}

TEST(PowerOnData, BrandClock) {
  EXPECT_DOUBLE_EQ(*BrandClockMhz("Intel(R) Core(TM) Duo CPU      T2600  @ 2.16GHz"), 2160.0);
  EXPECT_DOUBLE_EQ(*BrandClockMhz("VIA Esther processor 1500MHz"), 1500.0);
  EXPECT_FALSE(BrandClockMhz("AMD Athlon(tm) 64 Processor 3200+").has_value());
  EXPECT_FALSE(BrandClockMhz("GHz").has_value());
}

TEST(PowerOnData, FamilyRulesForPartsOutsideTheTable) {
  // A Core 2 Duo E6600: 2.40 GHz on the 266 MHz desktop bus is 9x.
  auto e6600 = ClassifyProcessor(
      CpuBuilder("GenuineIntel", 0x6F6, "Intel(R) Core(TM)2 CPU          6600  @ 2.40GHz")
          .Features(0xE3BD, 0xBFEBFBFF)
          .ThermalPower(0x1)
          .Build()
          .leaves);
  PowerOnData data = PowerOnDataFor(e6600);
  EXPECT_EQ(data.high.fid, 9u);
  EXPECT_EQ(data.busCode, 0u);
  EXPECT_FALSE(data.superLfm.has_value());
  EXPECT_FALSE(data.ida.has_value());

  // A Pentium M 2.00 GHz on the 100 MHz bus is 20x; the LFM is 6x on every Pentium M.
  data = PowerOnDataFor(ClassifyProcessor(
      CpuBuilder("GenuineIntel", 0x6D8, "Intel(R) Pentium(R) M processor 2.00GHz").Build().leaves));
  EXPECT_EQ(data.high.fid, 20u);
  EXPECT_EQ(data.low.fid, 6u);

  // A mobile Athlon 64 (brand id 9): the mobile VID table's codes.
  const auto mobileK8 = ClassifyProcessor(
      CpuBuilder("AuthenticAMD", 0x20F42, "Mobile AMD Athlon(tm) 64 Processor 3000+")
          .PowerManagement(0x3F)
          .AmdBrandId(9 << 6)
          .Build()
          .leaves);
  EXPECT_TRUE(mobileK8.k8MobileVids);
  EXPECT_EQ(PowerOnDataFor(mobileK8).high.vid, codes::K8MobileVid(1.35));
}

}  // namespace
}  // namespace pacetta::sim::testing
