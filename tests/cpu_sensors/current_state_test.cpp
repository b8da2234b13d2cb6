#include "cpu/sensors/current_state.h"

#include <gtest/gtest.h>

#include "tests/cpu_sensors/families.h"

namespace pacetta::testing {
namespace {

struct StateCase {
  const char* name;
  ProcessorLeaves leaves;
  std::map<uint32_t, uint64_t> registers;
  uint32_t fid, vid;
  uint32_t superLfm = 0;
};

// Each value carries set bits around its field, so a wrong mask or shift shows.
std::vector<StateCase> CurrentStateCases() {
  return {
      {"K8 FIDVID_STATUS", K8RevF(), {{0xC0010042, 0x0000'1552'000A'0C4Aull}}, 10, 18},
      {"K7 FIDVID_STATUS", K7(), {{0xC0010042, 0x0000'0035'0000'0C5Aull}}, 26, 21},
      // Without FID control the VID keeps what the record had (7, set by the test).
      {"K8 without control", Amd(0xF48, 0), {{0xC0010015, 0xCE00'0000ull}}, 14, 7},
      {"K7 FID bit 4 in bit 19", Amd(0x6A0, 0), {{0xC0010015, 0x0B08'0000ull}}, 27, 7},
      {"Pentium 4 model 2", Pentium4Model2(), {{0x2C, 0x0F12'3456ull}}, 15, 7},
      {"Pentium 4 model 3", Prescott(), {{0x198, 0x0001'0E2Cull}}, 14, 0x2C},
      {"Pentium M ignores bit 15", PentiumM(), {{0x198, 0xECC6ull}}, 12, 6},
      {"Core 2 in Super LFM", Core2(), {{0x198, 0x8626ull}}, 6, 0x26, 1},
      {"VIA C7", ViaC7(), {{0x198, 0x0A1Full}}, 10, 31},
      // A register that cannot be read shows its masked maximum.
      {"K8 failed read", K8RevF(), {}, 63, 63},
  };
}

TEST(CurrentState, EachFamilyReadsItsOwnFields) {
  for (const StateCase& c : CurrentStateCases()) {
    SensorRig rig({Processor(c.leaves, c.registers)});
    CpuInfo cpu = rig.Identify(0);
    cpu.currentVid = 7;
    ReadCurrentState(cpu, rig.sensors);
    EXPECT_EQ(cpu.currentFid, c.fid) << c.name;
    EXPECT_EQ(cpu.currentVid, c.vid) << c.name;
    EXPECT_EQ(cpu.superLfmActive, c.superLfm) << c.name;
  }
}

TEST(CurrentState, TransmetaReportsMegahertzAndMillivoltsThroughCpuid) {
  sim::ProcessorSpec processor = Processor(Transmeta());
  processor.leaves[{0x80860007, 0}] = {600, 1100, 0, 0};
  SensorRig rig({processor});
  CpuInfo cpu = rig.Identify(0);
  ReadCurrentState(cpu, rig.sensors);
  EXPECT_EQ(cpu.currentFid, 600u);
  EXPECT_EQ(cpu.currentVid, 1100u);
}

TEST(CurrentState, ReadsTheProcessorTheThreadIsPinnedTo) {
  SensorRig rig({Processor(K8RevF(), {{0xC0010042, 0x0000'0012'0000'000Aull}}),
                 Processor(K8RevF(), {{0xC0010042, 0x0000'0008'0000'0004ull}})});
  CpuInfo second = rig.Identify(1);
  ReadCurrentState(second, rig.sensors);
  EXPECT_EQ(second.currentFid, 4u);
  EXPECT_EQ(second.currentVid, 8u);
}

TEST(RequestedState, ComesFromTheControlRegisterOrElseTheCurrentState) {
  struct Case {
    const char* name;
    ProcessorLeaves leaves;
    std::map<uint32_t, uint64_t> registers;
    uint32_t fid, vid;
  };
  const std::vector<Case> cases = {
      {"K8 FIDVID_CTL",
       K8RevF(),
       {{0xC0010041, 0x0001'120Aull}, {0xC0010042, 0x0000'0014'0000'000Cull}},
       0x0A,
       0x12},
      {"K8 nothing requested yet",
       K8RevF(),
       {{0xC0010041, 0}, {0xC0010042, 0x0000'0014'0000'000Cull}},
       0x0C,
       0x14},
      {"Core Duo IA32_PERF_CTL", CoreDuo(), {{0x199, 0x0C20ull}, {0x198, 0x0618ull}}, 12, 0x20},
      {"Core Duo PERF_CTL of 0", CoreDuo(), {{0x199, 0}, {0x198, 0x0618ull}}, 6, 0x18},
      // A C7 without the PowerSaver bit has no control register to read.
      {"VIA C7 without SpeedStep", ViaC7(), {{0x199, 0x0C20ull}, {0x198, 0x0A1Full}}, 10, 31},
  };
  for (const Case& c : cases) {
    SensorRig rig({Processor(c.leaves, c.registers)});
    CpuInfo cpu = rig.Identify(0);
    ReadCurrentState(cpu, rig.sensors);
    ReadRequestedState(cpu, rig.sensors);
    EXPECT_EQ(cpu.requestedFid, c.fid) << c.name;
    EXPECT_EQ(cpu.requestedVid, c.vid) << c.name;
  }
}

TEST(Conversions, MultiplierAndVoltageGoThroughTheIndex) {
  SensorRig rig({Processor(K8RevE())});
  const CpuInfo k8 = rig.Identify(0);
  EXPECT_DOUBLE_EQ(MultiplierOf(k8, 10), 9.0);  // 4 + 10 / 2
  EXPECT_DOUBLE_EQ(VoltageOf(k8, 2), 1.5);      // 1.550 - 0.025 * 2
  EXPECT_DOUBLE_EQ(MultiplierOf(k8, 63), 0.0);  // beyond the table: unknown
}

}  // namespace
}  // namespace pacetta::testing
