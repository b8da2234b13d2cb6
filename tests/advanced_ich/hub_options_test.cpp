// The chipset settings on each kind of hub: which hub the ids name, which options it has,
// and what writing them does to the simulated hub's registers.
#include <gtest/gtest.h>

#include <set>

#include "app/advanced/ich_chipset.h"
#include "cpu/advanced/ich/ich_hub.h"
#include "ich_machines.h"
#include "testing/identified_machine.h"

namespace pacetta::testing {
namespace {

constexpr PciLocation kHub{0, 0xF8};

TEST(IchIdentification, EveryHubOfTheTableAndNoOther) {
  struct Case {
    uint32_t vendor, device;
    int generation;  // -1: unknown
    const char* name;
  };
  const Case cases[] = {
      {0x8086, 0x24C0, 0, "ICH4"},     {0x8086, 0x24CC, 1, "ICH4M"},
      {0x8086, 0x2640, 2, "ICH6(R)"},  {0x8086, 0x2642, 2, "ICH6(R)W"},
      {0x8086, 0x2641, 3, "ICH6M"},    {0x8086, 0x27B0, 4, "ICH7A"},
      {0x8086, 0x27B8, 4, "ICH7(R)"},  {0x8086, 0x27B9, 5, "ICH7M(U)"},
      {0x8086, 0x27BD, 5, "ICH7M DH"}, {0x8086, 0x2810, 6, "ICH8(R)"},
      {0x8086, 0x2812, 6, "ICH8DH"},   {0x8086, 0x2814, 6, "ICH8DO"},
      {0x8086, 0x2811, 7, "ICH8M-E"},  {0x8086, 0x2815, 7, "ICH8M"},
      {0x8086, 0x2912, 8, "ICH9DH"},   {0x8086, 0x2914, 8, "ICH9DO"},
      {0x8086, 0x2916, 8, "ICH9R"},    {0x8086, 0x2918, 8, "ICH9"},
      {0x8086, 0x24D0, -1, nullptr},  // ICH5
      {0x8086, 0x2917, -1, nullptr},  // ICH9M-E
      {0x1106, 0x27B9, -1, nullptr},  // another maker's part with an Intel device id
  };
  for (const Case& c : cases) {
    const auto hub = ich::IdentifyHub(c.vendor, c.device);
    ASSERT_EQ(hub.has_value(), c.generation >= 0) << std::hex << c.device;
    if (!hub) continue;
    EXPECT_EQ(hub->generation, static_cast<uint32_t>(c.generation)) << std::hex << c.device;
    EXPECT_STREQ(hub->name, c.name);
  }
}

// A catalogue machine or a machine file with a hub of its own.
struct HubMachine {
  const char* catalogue;
  std::optional<HubStart> start = std::nullopt;
};

std::string MachineFor(const HubMachine& machine, const TempFolder& folder) {
  return machine.start ? WriteIchMachine(folder, "hub", *machine.start) : machine.catalogue;
}

uint32_t FieldMax(IchOption option) {
  switch (option) {
    case IchOption::kPllLockTime:
    case IchOption::kDpslpToCpuslp:
    case IchOption::kDprslpvrToStpcpu:
    case IchOption::kSlowC4ExitDelay:
      return 3;
    case IchOption::kCpuSlpToStpclk:
      return 63;
    default:
      return 1;
  }
}

TEST(IchChipsetOptions, EachHubHasItsOptionsAndWritesOnlyTheirBits) {
  using O = IchOption;
  struct Registers {
    uint32_t a0, a2, a8, a9, aa;
  };
  struct Case {
    HubMachine machine;
    const char* name;
    uint32_t generation;
    std::set<IchOption> options;
    uint32_t dprslpvrEntries;
    Registers ones, zeros;  // after writing every option all ones, then all zeros
  };
  const Case cases[] = {
      {{"pentium-m-laptop"},
       "ICH4M",
       1,
       {O::kC4OnC3, O::kCpuSlpInC3, O::kC4InS1M, O::kPllLockTime, O::kCpuSlpToStpclk},
       2,
       {0x01A0, 0x60, 0x3F, 0, 0},
       {0, 0, 0, 0, 0}},
      {{"core-duo-laptop"},
       "ICH7M(U)",
       5,
       {O::kC4OnC3, O::kPopdown, O::kPopup, O::kPllLockTime, O::kDpslpToCpuslp,
        O::kDprslpvrToStpcpu},
       3,
       {0x0080, 0x60, 0, 0x1C, 0x0F},
       {0, 0, 0, 0, 0}},
      {{"core2-duo-laptop"},
       "ICH8M",
       7,
       {O::kC4OnC3, O::kPopdown, O::kPopup, O::kC4Disable, O::kC5Enable, O::kSlowC4Exit,
        O::kPllLockTime, O::kDpslpToCpuslp, O::kDprslpvrToStpcpu, O::kSlowC4ExitDelay},
       3,
       {0x1880, 0x60, 0, 0x1C, 0x7F},
       {0, 0, 0, 0, 0}},
      {{nullptr, HubStart{.deviceId = 0x2640, .acpiControl = 0x80}},
       "ICH6(R)",
       2,
       {O::kCpuSlpInS1, O::kPllLockTime},
       2,
       {0x0020, 0x60, 0, 0, 0},
       {0, 0, 0, 0, 0}},
      // The firmware set CPUSLP# (bit 5) and the read-only bit 9: an ICH8 keeps both, and
      // its PLL lock time is no setting.
      {{nullptr, HubStart{.deviceId = 0x2810, .acpiControl = 0x80, .pmcon = 0x0220}},
       "ICH8(R)",
       6,
       {},
       2,
       {0x0220, 0, 0, 0, 0},
       {0x0220, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    IdentifiedMachine machine({.machine = MachineFor(c.machine, folder)});
    auto chipset = OpenCentrinoChipset(machine.Driver());
    EXPECT_EQ(chipset->Identity().name, c.name);
    EXPECT_EQ(chipset->Identity().generation, c.generation);
    EXPECT_TRUE(chipset->Identity().throttlingAvailable);
    EXPECT_EQ(chipset->DprslpvrEntryCount(), c.dprslpvrEntries);
    for (size_t k = 0; k < kIchOptionCount; ++k) {
      EXPECT_EQ(chipset->Has(static_cast<IchOption>(k)), c.options.contains(IchOption(k))) << k;
    }
    CPCIBusManager pci(machine.Driver());
    const auto registers = [&pci] {
      return Registers{pci.ReadConfigWord(kHub, 0xA0), pci.ReadConfigByte(kHub, 0xA2),
                       pci.ReadConfigByte(kHub, 0xA8), pci.ReadConfigByte(kHub, 0xA9),
                       pci.ReadConfigByte(kHub, 0xAA)};
    };
    const auto expectRegisters = [&](const Registers& expected, const char* phase) {
      const Registers now = registers();
      EXPECT_EQ(now.a0, expected.a0) << phase;
      EXPECT_EQ(now.a2, expected.a2) << phase;
      EXPECT_EQ(now.a8, expected.a8) << phase;
      EXPECT_EQ(now.a9, expected.a9) << phase;
      EXPECT_EQ(now.aa, expected.aa) << phase;
    };
    ChipsetValues values;
    values.options.fill(0xFFFFFFFF);  // every value beyond its field: cut to it
    chipset->Write(values);
    expectRegisters(c.ones, "ones");
    const ChipsetValues read = chipset->Read();
    for (IchOption option : c.options) {
      EXPECT_EQ(read[option], FieldMax(option)) << static_cast<int>(option);
    }
    values.options.fill(0);
    chipset->Write(values);
    expectRegisters(c.zeros, "zeros");
  }
}

TEST(IchChipsetOptions, AnUnknownHubIsNeitherReadNorWritten) {
  TempFolder folder;
  const std::string trace = folder.File("trace.tsv");
  IdentifiedMachine machine({.machine = "pentium4-ht", .trace = trace});
  const size_t before = TracedAccesses(trace).size();
  auto chipset = OpenCentrinoChipset(machine.Driver());
  EXPECT_EQ(chipset->Identity().deviceId, 0x24D0);
  EXPECT_FALSE(chipset->Identity().generation);
  EXPECT_FALSE(chipset->Identity().throttlingAvailable);
  for (size_t k = 0; k < kIchOptionCount; ++k) EXPECT_FALSE(chipset->Has(IchOption(k)));
  ChipsetValues values;
  values.options.fill(1);
  values.normalThrottling = true;
  chipset->Write(values);
  EXPECT_EQ(chipset->Read(), ChipsetValues{});
  EXPECT_FALSE(chipset->ThrottlingActive());
  std::array<int32_t, kCentrinoSettingCount> stored;
  stored.fill(5);
  chipset->Store(values, stored);
  for (int32_t value : stored) EXPECT_EQ(value, 5);
  chipset.reset();
  // The identification's reads only: vendor, device, subsystem, revision.
  const auto accesses = TracedAccesses(trace);
  ASSERT_GT(accesses.size(), before);
  for (size_t k = before; k < accesses.size(); ++k) {
    const TracedAccess& access = accesses[k];
    EXPECT_NE(access.kind, "pci-write") << access.reg;
    EXPECT_TRUE(access.reg == "0x0CF8" || access.reg.starts_with("00:1F.0+0x0") ||
                access.reg.starts_with("00:1F.0+0x2C"))
        << access.kind << " " << access.reg;
  }
}

TEST(IchChipsetSettings, OnlyTheOptionsTheHubHasAreStoredOrTakenFromTheStore) {
  IdentifiedMachine machine({.machine = "core-duo-laptop"});
  auto chipset = OpenCentrinoChipset(machine.Driver());
  ASSERT_EQ(chipset->Identity().generation, 5u);
  // ICH7-M: C4 on C3, popdown, popup, PLL lock time, DPSLP# and DPRSLPVR delays.
  const std::set<size_t> has = {0, 4, 5, 9, 11, 12};
  std::array<int32_t, kCentrinoSettingCount> stored;
  stored.fill(5);
  ChipsetValues values;
  values.options.fill(1);
  values.forceThermalThrottling = true;
  values.thermalDuty = 3;
  values.normalDuty = 6;
  values.throttleLock = true;
  chipset->Store(values, stored);
  for (size_t k = 0; k < kIchOptionCount; ++k) EXPECT_EQ(stored[k], has.contains(k) ? 1 : 5) << k;
  EXPECT_EQ(stored[14], 8 | 3);
  EXPECT_EQ(stored[15], 6);
  EXPECT_EQ(stored[16], 1);

  // An option the hub lacks takes the hub's value: CPUSLP# (A0h bit 5), set by the firmware.
  CPCIBusManager(machine.Driver()).WriteConfigWord(kHub, 0xA0, 0x0020);
  stored.fill(2);
  stored[14] = 8 | 1;
  stored[15] = 7;
  stored[16] = 0;
  const ChipsetValues page = chipset->FromStored(stored);
  for (size_t k = 0; k < kIchOptionCount; ++k) {
    const uint32_t present = k == static_cast<size_t>(IchOption::kCpuSlpInS1) ? 1 : 0;
    EXPECT_EQ(page.options[k], has.contains(k) ? 2 : present) << k;
  }
  EXPECT_TRUE(page.forceThermalThrottling);
  EXPECT_EQ(page.thermalDuty, 1u);
  EXPECT_FALSE(page.normalThrottling);
  EXPECT_EQ(page.normalDuty, 7u);
  EXPECT_FALSE(page.throttleLock);
}

}  // namespace
}  // namespace pacetta::testing
