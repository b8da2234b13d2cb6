// The hub's clock throttling and its ACPI block's decode: what the simulated processors'
// clocks do, when the program switches the decode and when it must not, and the accesses
// an Apply makes.
#include <gtest/gtest.h>

#include "app/advanced/ich_chipset.h"
#include "hw/msr_request.h"
#include "hw/pinning.h"
#include "ich_machines.h"
#include "testing/identified_machine.h"

namespace pacetta::testing {
namespace {

constexpr PciLocation kHub{0, 0xF8};

TEST(IchThrottling, TheChipsetDutyGatesEveryProcessorsClockOnTopOfItsOwnModulation) {
  struct Case {
    bool force;
    uint32_t thermalDuty;
    bool normal;
    uint32_t normalDuty;
    double duty;
  };
  const Case cases[] = {
      {false, 0, true, 3, 0.375},
      {false, 0, true, 0, 0.5},  // code 0 is the 50 % default
      {true, 6, true, 2, 0.75},  // forced thermal throttling wins over the normal one
      {true, 0, false, 5, 0.5},
      {false, 6, false, 2, 1.0},  // duties without an enable throttle nothing
  };
  IdentifiedMachine machine({.machine = "core2-duo-laptop"});
  sim::SimulatedPc& pc = machine.Pc();
  auto chipset = OpenCentrinoChipset(machine.Driver());
  ASSERT_TRUE(chipset->Identity().throttlingAvailable);
  for (const Case& c : cases) {
    ChipsetValues values = chipset->Read();
    values.forceThermalThrottling = c.force;
    values.thermalDuty = c.thermalDuty;
    values.normalThrottling = c.normal;
    values.normalDuty = c.normalDuty;
    chipset->Write(values);
    for (unsigned k = 0; k < 2; ++k) EXPECT_DOUBLE_EQ(pc.Activity(k)->duty, c.duty) << k;
    EXPECT_EQ(chipset->ThrottlingActive(), c.force || c.normal);
    const ChipsetValues read = chipset->Read();
    EXPECT_EQ(read.normalDuty, c.normalDuty);
    EXPECT_EQ(read.thermalDuty, c.thermalDuty);
    EXPECT_EQ(read.normalThrottling, c.normal);
    EXPECT_EQ(read.forceThermalThrottling, c.force);
  }
  // Processor 0's own clock modulation at 4/8 halves what the chipset lets through.
  ChipsetValues values = chipset->Read();
  values.normalThrottling = true;
  values.normalDuty = 6;
  chipset->Write(values);
  PinToProcessor(machine.View().processors, 0);
  MsrRequest request;
  ASSERT_TRUE(machine.Driver().WriteMsrValue(request, 0x19A, 0x10 | 4 << 1, 0));
  EXPECT_DOUBLE_EQ(pc.Activity(0)->duty, 0.375);
  EXPECT_DOUBLE_EQ(pc.Activity(1)->duty, 0.75);
}

TEST(IchAcpiDecode, SwitchedOnForTheRunOnlyWhereTheFirmwareLeftItOffAtAUsableBase) {
  struct Case {
    const char* name;
    const char* catalogue;
    HubStart start;
    bool available;
    uint32_t controlWhileOpen, controlAfter;
  };
  const Case cases[] = {
      {"decoded by the firmware", "core2-duo-laptop", {}, true, 0x80, 0x80},
      {"ICH7-M left off", nullptr, {.deviceId = 0x27B9, .acpiControl = 0x02}, true, 0x82, 0x02},
      {"ICH4-M left off", nullptr, {.deviceId = 0x24CC, .acpiControl = 0x00}, true, 0x10, 0x00},
      // No base: decoding would lay the block over the DMA and interrupt controllers.
      {"zero base", nullptr, {.deviceId = 0x27B9, .pmBase = 0x00000001}, false, 0x00, 0x00},
      {"base in the legacy ports",
       nullptr,
       {.deviceId = 0x2815, .pmBase = 0x00000081},
       false,
       0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string trace = folder.File("trace.tsv");
    IdentifiedMachine machine(
        {.machine = c.catalogue ? c.catalogue : WriteIchMachine(folder, "hub", c.start),
         .trace = trace});
    CPCIBusManager pci(machine.Driver());
    auto chipset = OpenCentrinoChipset(machine.Driver());
    EXPECT_EQ(chipset->Identity().throttlingAvailable, c.available);
    EXPECT_EQ(pci.ReadConfigByte(kHub, 0x44), c.controlWhileOpen);
    ChipsetValues values = chipset->Read();
    values.normalThrottling = true;
    values.normalDuty = 1;
    chipset->Write(values);
    EXPECT_EQ(chipset->ThrottlingActive().has_value(), c.available);
    EXPECT_DOUBLE_EQ(machine.Pc().Activity(0)->duty, c.available ? 0.125 : 1.0);
    chipset.reset();
    EXPECT_EQ(pci.ReadConfigByte(kHub, 0x44), c.controlAfter);
    if (c.available) continue;
    for (const TracedAccess& access : TracedAccesses(trace)) {
      if (access.kind != "port-in" && access.kind != "port-out") continue;
      EXPECT_EQ(access.reg, "0x0CF8") << access.kind;
    }
  }
}

TEST(IchApply, WritesEachOptionAsAReadModifyWriteInOrderThenTheThrottlingOnce) {
  TempFolder folder;
  const std::string trace = folder.File("trace.tsv");
  IdentifiedMachine machine({.machine = "core2-duo-laptop", .trace = trace});
  auto chipset = OpenCentrinoChipset(machine.Driver());
  const size_t before = TracedAccesses(trace).size();
  ChipsetValues values;
  values.options.fill(0xFFFFFFFF);
  values.forceThermalThrottling = true;
  values.thermalDuty = 0xFFFFFFFF;  // cut to 7
  values.normalDuty = 9;            // cut to 1
  chipset->Write(values);
  struct Expected {
    const char* kind;
    const char* reg;
    unsigned width;
    uint32_t value;
  };
  // Each option is one read and one write of its register; bit 5 of A0h goes back as read.
  const Expected expected[] = {
      {"pci-read", "00:1F.0+0xA0", 2, 0x0000}, {"pci-write", "00:1F.0+0xA0", 2, 0x0080},
      {"pci-read", "00:1F.0+0xA0", 2, 0x0080}, {"pci-write", "00:1F.0+0xA0", 2, 0x0080},
      {"pci-read", "00:1F.0+0xA9", 1, 0x00},   {"pci-write", "00:1F.0+0xA9", 1, 0x10},
      {"pci-read", "00:1F.0+0xA9", 1, 0x10},   {"pci-write", "00:1F.0+0xA9", 1, 0x1C},
      {"pci-read", "00:1F.0+0xA0", 2, 0x0080}, {"pci-write", "00:1F.0+0xA0", 2, 0x1080},
      {"pci-read", "00:1F.0+0xA0", 2, 0x1080}, {"pci-write", "00:1F.0+0xA0", 2, 0x1880},
      {"pci-read", "00:1F.0+0xAA", 1, 0x00},   {"pci-write", "00:1F.0+0xAA", 1, 0x40},
      {"pci-read", "00:1F.0+0xA2", 1, 0x00},   {"pci-write", "00:1F.0+0xA2", 1, 0x60},
      {"pci-read", "00:1F.0+0xAA", 1, 0x40},   {"pci-write", "00:1F.0+0xAA", 1, 0x43},
      {"pci-read", "00:1F.0+0xAA", 1, 0x43},   {"pci-write", "00:1F.0+0xAA", 1, 0x4F},
      {"pci-read", "00:1F.0+0xAA", 1, 0x4F},   {"pci-write", "00:1F.0+0xAA", 1, 0x7F},
      {"port-in", "0x1010", 4, 0x00000000},    {"port-out", "0x1010", 4, 0x000001E2},
  };
  std::vector<TracedAccess> accesses;
  const auto all = TracedAccesses(trace);
  for (size_t k = before; k < all.size(); ++k) {
    if (all[k].reg != "0x0CF8") accesses.push_back(all[k]);
  }
  ASSERT_EQ(accesses.size(), std::size(expected));
  for (size_t k = 0; k < accesses.size(); ++k) {
    EXPECT_EQ(accesses[k].kind, expected[k].kind) << k;
    EXPECT_EQ(accesses[k].reg, expected[k].reg) << k;
    EXPECT_EQ(accesses[k].width, expected[k].width) << k;
    EXPECT_EQ(accesses[k].value, expected[k].value) << k;
  }
}

}  // namespace
}  // namespace pacetta::testing
