#include "cpu/sensors/todays_state.h"

#include <gtest/gtest.h>

#include "tests/cpu_sensors/families.h"

namespace pacetta::testing {
namespace {

constexpr uint64_t kEnabled = uint64_t{1} << 63;

// What today's processors report of their current state, by family. Each definition is
// P0 (C001_0063 reads 0); bits beside the fields catch a wrong mask.
TEST(ReportedState, EachFamilyDecodesItsOwnFields) {
  struct Case {
    const char* name;
    ProcessorLeaves leaves;
    std::map<uint32_t, uint64_t> registers;
    double multiplier, volts;
  };
  const std::vector<Case> cases = {
      {"Intel PERF_STATUS",
       Intel(0x906A3),
       {{0x198, (0x2000ull << 32) | 0x1A00 | 0x8000'0000}},
       26.0,
       1.0},
      {"Zen FID x 2 / DfsId",
       Amd(0x860F01),
       {{0xC0010063, 0}, {0xC0010064, kEnabled | (0x50ull << 14) | (8ull << 8) | 0x74}},
       29.0,
       1.05},
      {"family 15h, serial VID of 7 bits",
       Amd(0x600F20),
       {{0xC0010063, 0},
        {0xC0010064, kEnabled | (1ull << 16) | (0x20ull << 9) | (1ull << 6) | 0x0E}},
       15.0,
       1.15},
      {"family 16h, serial VID of 8 bits",
       Amd(0x700F01),
       {{0xC0010063, 0}, {0xC0010064, kEnabled | (0x50ull << 9) | 0x10}},
       32.0,
       1.05},
      {"family 12h divisor list",
       Amd(0x300F10),
       {{0xC0010063, 0}, {0xC0010064, kEnabled | (0x28ull << 9) | (0x0Aull << 4) | 1}},
       26.0 / 1.5,
       1.05},
      {"family 11h FID + 8",
       Amd(0x200F31),
       {{0xC0010063, 0}, {0xC0010064, kEnabled | (0x24ull << 9) | (1ull << 6) | 0x0A}},
       9.0,
       1.1},
      {"a state not enabled", Amd(0x860F01), {{0xC0010063, 0}, {0xC0010064, 0x74}}, 0.0, 0.0},
      {"family 14h: not from these registers",
       Amd(0x500F10),
       {{0xC0010063, 0}, {0xC0010064, kEnabled | 0x10}},
       0.0,
       0.0},
  };
  for (const Case& c : cases) {
    SensorRig rig({Processor(c.leaves, c.registers)});
    const CpuInfo cpu = rig.Identify(0);
    rig.Pin(0);
    const ReportedState state = ReadReportedState(cpu, rig.sensors);
    EXPECT_NEAR(state.multiplier, c.multiplier, 1e-9) << c.name;
    EXPECT_NEAR(state.volts, c.volts, 1e-9) << c.name;
  }
}

}  // namespace
}  // namespace pacetta::testing
