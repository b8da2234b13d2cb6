#include <gtest/gtest.h>

#include <fstream>

#include "cpu/advanced/longrun/longrun_atm.h"
#include "cpu/advanced/longrun/longrun_control.h"
#include "cpu/advanced/longrun/longrun_table.h"
#include "platform/sim/catalogue/embedded_files.h"
#include "tests/advanced_transmeta/transmeta_rig.h"

namespace pacetta::testing {
namespace {

constexpr uint32_t kBounds = longrun::kBoundsMsr;

// A bounds write the part takes keeps its value; one it refuses leaves the bounds as
// they were and is recorded. Mode writes with reserved bits are refused the same way.
TEST(LongRunRegisters, PartRefusesInconsistentBounds) {
  TransmetaRig rig;
  struct Case {
    uint32_t lower, upper;
    bool accepted;
  };
  const Case cases[] = {{20, 80, true}, {80, 50, false}, {0, 101, false},
                        {50, 50, true}, {0, 0, true},    {101, 101, false}};
  longrun::Control expected{0, 100, true};
  size_t refused = 0;
  for (const Case& c : cases) {
    PinToProcessor(rig.Processors(), 0);
    MsrRequest request;
    rig.Driver().WriteMsrValue(request, kBounds, c.lower, c.upper);
    UnpinThread(rig.Processors());
    if (c.accepted) expected.lowerPercent = c.lower, expected.upperPercent = c.upper;
    if (!c.accepted) ++refused;
    EXPECT_EQ(longrun::ReadControl(rig.Driver(), rig.Processors(), 0), expected)
        << c.lower << ".." << c.upper;
    EXPECT_EQ(rig.Pc().Violations().size(), refused) << c.lower << ".." << c.upper;
  }
  PinToProcessor(rig.Processors(), 0);
  MsrRequest mode;
  rig.Driver().WriteMsrValue(mode, longrun::kModeMsr, 3, 0);
  UnpinThread(rig.Processors());
  EXPECT_EQ(rig.Pc().Violations().size(), refused + 1);
  EXPECT_EQ(rig.Traced("msr-write", "0x80868010").size(), std::size(cases));
}

// LongRun picks its level from the load within the bounds, performance mode leaning up
// and economy down, and an engaged ATM cuts the top; leaf 80860007h and the simulated
// clock both follow.
TEST(LongRunRegisters, LevelFollowsLoadBoundsModeAndAtm) {
  struct Case {
    const char* load;
    longrun::Control control;
    uint32_t atm;
    uint32_t mhz, millivolts;
  };
  const Case cases[] = {
      {"full", {0, 100, true}, 0, 867, 1300},
      {"idle", {0, 100, true}, 0, 300, 800},
      {"idle", {100, 100, false}, 0, 867, 1300},
      {"full", {0, 0, true}, 0, 300, 800},
      {"full", {0, 50, true}, 0, 533, 950},  // the highest level within 50 %
      {"script:busy=25", {0, 100, true}, 0, 667, 1100},
      {"script:busy=25", {0, 100, false}, 0, 300, 800},
      {"full", {0, 100, true}, 2, 600, 1025},  // 25 % off 867 MHz: 650 MHz at most
      {"full", {0, 100, true}, 6, 300, 800},
      {"full", {100, 100, true}, 1, 733, 1175},  // ATM wins over the lower bound
  };
  for (const Case& c : cases) {
    TransmetaRig rig("transmeta", c.load);
    const std::string where = std::string(c.load) + " atm " + std::to_string(c.atm);
    ASSERT_TRUE(rig.Transmeta() != nullptr);
    std::vector<CpuInfo> one(1);
    EXPECT_EQ(longrun::WriteControl(rig.Driver(), rig.Processors(), one, c.control), 1u);
    EXPECT_TRUE(longrun::WriteAtm(rig.Driver(), c.atm)) << where;
    EXPECT_EQ(longrun::ReadAtm(rig.Driver()), longrun::AtmState{c.atm}) << where;
    const platform::CpuidResult present = rig.Cpuid(0x80860007);
    EXPECT_EQ(present.eax, c.mhz) << where;
    EXPECT_EQ(present.ebx, c.millivolts) << where;
    const auto truth = rig.Pc().Activity(0);
    ASSERT_TRUE(truth) << where;
    EXPECT_DOUBLE_EQ(truth->coreMhz, c.mhz) << where;
    EXPECT_TRUE(rig.Pc().Violations().empty()) << where;
    // Every ATM access is a configuration access the trace holds: the read-modify-write
    // and the read back.
    EXPECT_EQ(rig.Traced("pci-write", "00:00.0+0xA8").size(), 1u) << where;
    EXPECT_EQ(rig.Traced("pci-read", "00:00.0+0xA8").size(), 2u) << where;
  }
}

// The table interface lists the TM5800's levels, highest first, and the performance-state
// limits take the top and bottom of it.
TEST(LongRunRegisters, TableAndRangeComeFromTheInterface) {
  TransmetaRig rig;
  const auto levels = longrun::ReadTable(rig.Driver(), rig.Processors(), 0);
  ASSERT_EQ(levels.size(), 8u);
  EXPECT_EQ(levels.front(), (longrun::Level{7, 100, 867, 1300, 7, 6, 27, 0}));
  EXPECT_EQ(levels.back(), (longrun::Level{0, 0, 300, 800, 3, 2, 10, 0}));
  for (size_t n = 1; n < levels.size(); ++n) {
    EXPECT_LT(levels[n].mhz, levels[n - 1].mhz);
    EXPECT_LT(levels[n].millivolts, levels[n - 1].millivolts);
  }
  EXPECT_EQ(rig.Traced("msr-write", "0x80868018").size(), 8u);
  EXPECT_EQ(rig.Traced("msr-read", "0x8086801D").size(), 8u);

  PinToProcessor(rig.Processors(), 0);
  const auto range = longrun::RangeSource(rig.Driver())(CpuInfo{});
  UnpinThread(rig.Processors());
  ASSERT_TRUE(range);
  EXPECT_EQ(range->maxFid, 867);
  EXPECT_EQ(range->maxVid, 1300);
  EXPECT_EQ(range->minFid, 300);
  EXPECT_EQ(range->minVid, 800);
}

// A processor answering the table interface with an absurd highest level is not asked
// level after level for ever, nor is room made for that many.
TEST(LongRunRegisters, HostileLevelCountIsBounded) {
  struct Case {
    uint32_t highest;
    size_t levels;
  };
  const Case cases[] = {
      {0xFFFFFFFE, 0}, {longrun::kLevelLimit, 0}, {longrun::kLevelLimit - 1, 64}, {2, 3}};
  for (const Case& c : cases) {
    // A processor without a LongRun model whose registers answer from their start values.
    TempFolder folder;
    std::string text(
        sim::FindEmbeddedCatalogueFile("intel-pentium-m-processor-1.60ghz.test").value());
    for (size_t at = text.find("000006d6"); at != std::string::npos; at = text.find("000006d6"))
      text.replace(at, 8, "00000686");
    const std::string path = folder.File("answering.test");
    std::ofstream(path) << text;
    char highest[32];
    std::snprintf(highest, sizeof highest, "0x%08X00000000", c.highest);
    std::ofstream(path + ".json")
        << R"({"msrStart": {"all": {"0x80868018": ")" << highest
        << R"(", "0x80868019": "0x32", "0x8086801A": "0x0000051400000258",)"
        << R"( "0x8086801B": "0x0000000400000005", "0x8086801C": "0x14",)"
        << R"( "0x8086801D": "0x0"}}})";
    TransmetaRig rig(path);
    const auto levels = longrun::ReadTable(rig.Driver(), rig.Processors(), 0);
    EXPECT_EQ(levels.size(), c.levels) << c.highest;
    if (!levels.empty()) {
      EXPECT_EQ(levels.front().mhz, 600u);
    }
  }
}

TEST(LongRunAtm, LevelCodec) {
  struct Case {
    uint32_t reg;
    uint32_t level;
  };
  // Decoding: off unless engaged with a field of 2 or more; level 8 - f otherwise.
  const Case decoded[] = {{0x00, 0}, {0x01, 0}, {0x0F, 0},       {0x13, 0},       {0x15, 6},
                          {0x1F, 1}, {0x19, 4}, {0xFFFFFFEF, 0}, {0xFFFFFFF3, 0}, {0xFFFFFFFF, 1}};
  for (const Case& c : decoded)
    EXPECT_EQ(longrun::DecodeAtmLevel(c.reg), c.level) << std::hex << c.reg;
  // Encoding keeps every other bit; level 0 clears bit 4 and the field.
  const Case encoded[] = {{0xFFFFFFFF, 0}, {0x00000001, 6}, {0xFFFFFFE1, 1}, {0x80000001, 3}};
  const uint32_t expected[] = {0xFFFFFFE1, 0x00000015, 0xFFFFFFFF, 0x8000001B};
  for (size_t n = 0; n < std::size(encoded); ++n) {
    EXPECT_EQ(longrun::EncodeAtmLevel(encoded[n].reg, encoded[n].level), expected[n]) << n;
  }
  for (uint32_t level = 0; level <= longrun::kAtmLevelMax; ++level) {
    EXPECT_EQ(longrun::DecodeAtmLevel(longrun::EncodeAtmLevel(0x1, level)), level);
  }
}

}  // namespace
}  // namespace pacetta::testing
