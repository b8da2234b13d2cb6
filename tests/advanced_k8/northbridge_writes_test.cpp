// The K8's "CPU setup" values on simulated K8 machines, through the program's driver and
// the simulated northbridge, seen in the register trace.
#include <gtest/gtest.h>

#include <map>

#include "app/advanced/k8_advanced_settings.h"
#include "cpu/advanced/k8/k8_power_registers.h"
#include "k8_machines.h"
#include "testing/identified_machine.h"

namespace pacetta::testing {
namespace {

// Every field at zero, and every field at its top (5240 us is 65500 PLL counts, the most
// the page offers, and 1048000 stabilisation counts).
k8::CpuSetup Lowest() {
  k8::CpuSetup setup;
  setup.altVidIndex = 0;
  return setup;
}

k8::CpuSetup Highest(bool altVid, uint32_t altVidCount) {
  k8::CpuSetup setup;
  for (k8::PowerMode& mode : setup.modes) mode = {6, true, true, true, altVid};
  setup.goodPhaseError = 7;
  setup.rampHysteresis = altVid ? 11 : 7;
  setup.pllLockUs = 5240;
  if (altVid) setup.altVidIndex = altVidCount - 1;
  setup.vsTimeUs = altVid ? 5240 : 0;
  return setup;
}

struct Expected {
  uint32_t mode0, mode1, low, high;
};

// What each register holds after the apply, from the all-ones state the firmware left:
// only the named bits changed. `altVidCode` lands in D8h bits 25:20.
Expected AfterLowest(bool altVid, uint32_t altVidCode) {
  // Before revision E, hysteresis bit 11 is read-only.
  if (!altVid) return {0x88888888, 0x88888888, 0x0000F8F8, 0x8FFFFFFF};
  return {0x80808080, 0x80808080, 0x0000F0F8, 0x8C000000 | altVidCode << 20};
}

Expected AfterHighest(bool altVid, uint32_t altVidCode) {
  // 65500 = 0xFFDC counts; 5240 us x 200 = 0xFFDC0.
  if (!altVid) return {0xEFEFEFEF, 0xEFEFEFEF, 0xFFDCFFFF, 0x8FFFFFFF};
  return {0xEFEFEFEF, 0xEFEFEFEF, 0xFFDCFBFF, 0x8C0FFDC0 | altVidCode << 20};
}

// The bits each register's write may change.
std::map<std::string, uint32_t> NamedBits(bool altVid) {
  return {{"00:18.3+0x80", altVid ? 0x7F7F7F7Fu : 0x77777777u},
          {"00:18.3+0x84", altVid ? 0x7F7F7F7Fu : 0x77777777u},
          {"00:18.3+0xD4", altVid ? 0xFFFF0F07u : 0xFFFF0707u},
          {"00:18.3+0xD8", altVid ? 0x73FFFFFFu : 0x70000000u}};
}

TEST(K8NorthbridgeWrites, EachApplyChangesOnlyItsNamedBitsOncePerNode) {
  for (const K8MachineFile& file : {kRevisionD, kRevisionEX2}) {
    TempFolder folder;
    const std::string trace = folder.File("trace.tsv");
    IdentifiedMachine machine({.machine = WriteK8Machine(folder, file), .trace = trace});
    const std::vector<CpuInfo>& cpus = machine.Records();
    const CpuInfo& cpu0 = cpus.front();
    const bool altVid = file.name == kRevisionEX2.name;
    ASSERT_EQ(cpu0.isK8RevEOrLater != 0, altVid) << file.name;
    ASSERT_EQ(cpus.size(), altVid ? 2u : 1u) << file.name;
    CK8Northbridge& northbridge = *machine.Sensors().northbridge;
    AppSettings settings(SettingsMachine{cpu0});
    K8AdvancedSettings advanced(northbridge, cpus, settings);
    const K8PageFacts facts = advanced.Facts();
    ASSERT_FALSE(facts.altVidVoltages.empty()) << file.name;
    // The list runs from the lowest voltage up: the first entry is the lowest VID.
    const auto lowestVid = static_cast<uint32_t>(cpu0.minVid);
    const auto highestVid = static_cast<uint32_t>(cpu0.maxVid);

    struct Case {
      k8::CpuSetup setup;
      Expected expected;
    };
    const Case cases[] = {
        {Lowest(), AfterLowest(altVid, lowestVid)},
        {Highest(altVid, static_cast<uint32_t>(facts.altVidVoltages.size())),
         AfterHighest(altVid, highestVid)},
    };
    for (const Case& c : cases) {
      const size_t seen = TracedPciAccesses(trace).size();
      advanced.Apply(c.setup, advanced.StoredRestartValues(), false);
      const std::string where =
          std::string(file.name) + " PLL " + std::to_string(c.setup.pllLockUs);
      EXPECT_EQ(northbridge.ReadDword(0, k8::kPowerMode0), c.expected.mode0) << where;
      EXPECT_EQ(northbridge.ReadDword(0, k8::kPowerMode1), c.expected.mode1) << where;
      EXPECT_EQ(northbridge.ReadDword(0, k8::kClockTimingLow), c.expected.low) << where;
      EXPECT_EQ(northbridge.ReadDword(0, k8::kClockTimingHigh), c.expected.high) << where;
      // What the page shows after "Refresh" is what was applied; a part without the
      // alternate VID shows none.
      k8::CpuSetup shown = c.setup;
      if (!altVid) shown.altVidIndex.reset();
      EXPECT_EQ(advanced.ReadHardware(), shown) << where;

      // In the trace: each register read, then written once (one node, however many
      // cores), the written value differing from the one read only in named bits.
      const std::vector<PciAccess> accesses = TracedPciAccesses(trace);
      const auto named = NamedBits(altVid);
      std::map<std::string, uint32_t> lastRead;
      std::map<std::string, int> writes;
      for (size_t i = seen; i < accesses.size(); ++i) {
        const PciAccess& access = accesses[i];
        if (!access.write) {
          lastRead[access.reg] = access.value;
          continue;
        }
        ++writes[access.reg];
        ASSERT_TRUE(named.contains(access.reg)) << where << " wrote " << access.reg;
        ASSERT_TRUE(lastRead.contains(access.reg)) << where << " wrote unread " << access.reg;
        EXPECT_EQ((access.value ^ lastRead[access.reg]) & ~named.at(access.reg), 0u)
            << where << " " << access.reg;
      }
      for (const auto& [reg, mask] : named) EXPECT_EQ(writes[reg], 1) << where << " " << reg;
    }
    // Whoever uses the accessor next finds node 0 selected.
    EXPECT_EQ(northbridge.SelectedLocation()->devfn, 0xC3u) << file.name;
    EXPECT_EQ(machine.ViolationText(), "") << file.name;
  }
}

}  // namespace
}  // namespace pacetta::testing
