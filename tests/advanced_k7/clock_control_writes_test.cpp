#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "tests/advanced_k7/k7_rig.h"

namespace pacetta::testing {
namespace {

// One field of the page, changed from what the hardware holds, and the register bits it
// owns.
struct FieldCase {
  const char* name;
  std::function<void(k7::ClockControl&)> change;
  uint32_t bits;
};

const FieldCase kFields[] = {
    {"ramp delay 0", [](k7::ClockControl& c) { c.rampDelays[0] ^= 1; }, 0x00000003},
    {"ramp delay 1", [](k7::ClockControl& c) { c.rampDelays[1] ^= 1; }, 0x00000030},
    {"ramp delay 2", [](k7::ClockControl& c) { c.rampDelays[2] ^= 1; }, 0x00000300},
    {"ramp delay 3", [](k7::ClockControl& c) { c.rampDelays[3] ^= 2; }, 0x00003000},
    {"ramp delay 4", [](k7::ClockControl& c) { c.rampDelays[4] ^= 2; }, 0x00030000},
    {"halt divisor", [](k7::ClockControl& c) { c.haltDivisor = 5; }, 0x0000004C},
    {"stop-grant divisor", [](k7::ClockControl& c) { c.stopGrantDivisor = 6; }, 0x0004C000},
    {"APIC disconnect", [](k7::ClockControl& c) { c.apicDisconnect = !c.apicDisconnect; },
     0x00080000},
    {"full ramp", [](k7::ClockControl& c) { c.fullRamp = 4095; }, 0xFFF00000},
};

struct MachineCase {
  const char* name;
  std::function<std::string(const TempFolder&)> machine;
  size_t processors;
};

const MachineCase kMachines[] = {
    {"mobile laptop", [](const TempFolder&) { return std::string("k7-mobile-laptop"); }, 1},
    {"two desktop Athlons", TwoDesktopAthlons, 2},
};

// Every write of a field reads each processor's register and writes it back with only
// that field's bits changed, pinned to that processor, as the trace shows it.
TEST(K7ClockControl, EachFieldChangesOnlyItsBitsOnEveryProcessor) {
  TempFolder files;
  for (const MachineCase& m : kMachines) {
    for (const FieldCase& field : kFields) {
      SCOPED_TRACE(std::string(m.name) + ", " + field.name);
      K7Rig rig(m.machine(files));
      ASSERT_EQ(rig.Records().size(), m.processors);
      const auto shown = rig.K7().ReadHardware();
      ASSERT_TRUE(shown);
      k7::ClockControl edited = *shown;
      field.change(edited);
      const size_t before = rig.ClockAccesses().size();
      rig.K7().Apply(edited, rig.K7().StoredRestartValues(), false);

      std::map<unsigned, uint64_t> lastRead;
      std::map<unsigned, int> writes;
      for (const ClockAccess& access : rig.ClockAccesses(before)) {
        if (!access.write) {
          lastRead[access.cpu] = access.value;
          continue;
        }
        ++writes[access.cpu];
        ASSERT_TRUE(lastRead.contains(access.cpu)) << "written without reading first";
        const uint64_t changed = access.value ^ lastRead[access.cpu];
        EXPECT_EQ(changed & ~uint64_t{field.bits}, 0u) << std::hex << access.value;
        EXPECT_NE(changed & field.bits, 0u) << std::hex << access.value;
      }
      EXPECT_EQ(writes.size(), m.processors);
      for (const auto& [cpu, count] : writes) EXPECT_EQ(count, 1) << "cpu " << cpu;
      EXPECT_TRUE(rig.Pc().Violations().empty());
    }
  }
}

// Divisor value 5 has its bit 2 apart from bits 1:0: bits 3:2 become 01b and bit 6 is
// set, and the simulated part's halted clock is divided by 256.
TEST(K7ClockControl, HaltDivisorFiveSplitsItsBitsAndSlowsTheHaltedClock) {
  TempFolder files;
  K7Rig rig(TwoDesktopAthlons(files));
  k7::ClockControl edited = *rig.K7().ReadHardware();
  edited.haltDivisor = 5;
  rig.K7().Apply(edited, rig.K7().StoredRestartValues(), false);
  const auto writes = rig.ClockWrites();
  ASSERT_EQ(writes.size(), 2u);
  for (const ClockAccess& write : writes) {
    EXPECT_EQ(write.value >> 2 & 3u, 1u) << std::hex << write.value;
    EXPECT_EQ(write.value >> 6 & 1u, 1u) << std::hex << write.value;
  }
  for (unsigned k = 0; k < 2; ++k) {
    const auto truth = rig.Pc().Activity(k);
    ASSERT_TRUE(truth);
    EXPECT_DOUBLE_EQ(truth->haltedMhz, truth->coreMhz / 256) << "cpu " << k;
  }
  EXPECT_EQ(rig.K7().ReadHardware()->haltDivisor, 5u);
}

}  // namespace
}  // namespace pacetta::testing
