#include "cpu/pstate/perf_control.h"

#include <gtest/gtest.h>

#include "cpu/pstate/clock_modulation.h"
#include "tests/cpu_pstate/transition_rig.h"

namespace pacetta {
namespace {

using testing::Record;
using testing::SimRig;

TEST(PerfControl, WritesFidAboveVidWithTheSuperLfmBitThenWaits) {
  SimRig rig(testing::Machine({{0x199, 0}}, 0, 1, false));
  EXPECT_TRUE(WritePerfControl(rig.driver, 10, 40, false, 5));
  EXPECT_TRUE(WritePerfControl(rig.driver, 6, 20, true, 0));
  const auto requests = rig.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].words, (std::vector<uint32_t>{0x199, 0, 0x0A28}));
  EXPECT_EQ(requests[1].words[6], static_cast<uint32_t>(driver::KernelRoutine::kBusyDelay));
  EXPECT_EQ(requests[1].words[3], 5u);
  EXPECT_EQ(requests[2].words, (std::vector<uint32_t>{0x199, 0, 0x8614}));

  EXPECT_FALSE(WritePerfControl(rig.driver, 0x100, 20, false, 0));
  EXPECT_FALSE(WritePerfControl(rig.driver, 6, 0x100, false, 0));
  EXPECT_TRUE(rig.Requests().empty());
}

class ClockModulation : public ::testing::Test {
 protected:
  uint64_t Register() {
    return *rig.Bank(0).WithStorage([](auto& storage) { return storage.Get(0x19A); });
  }
  // Bit 8 stands for the register's other bits, which a level change keeps.
  SimRig rig{testing::Machine({{0x19A, 0x100 | 0x1E}}, 0, 1)};
  const CpuInfo cpu = Record("GenuineIntel", 0x6D6, {0, 1u << 22});
};

TEST_F(ClockModulation, LevelsInEighthsWithEightAsFullClock) {
  uint32_t level = 0;
  EXPECT_TRUE(ReadThrottle(cpu, rig.driver, level));
  EXPECT_EQ(level, 7u);

  EXPECT_TRUE(WriteThrottle(cpu, rig.driver, 4));
  EXPECT_EQ(Register(), 0x100u | 0x18);  // bits 4..1 = 1100
  EXPECT_TRUE(ReadThrottle(cpu, rig.driver, level));
  EXPECT_EQ(level, 4u);

  EXPECT_TRUE(WriteThrottle(cpu, rig.driver, kFullClockLevel));
  EXPECT_EQ(Register(), 0x100u);
  EXPECT_FALSE(ReadThrottle(cpu, rig.driver, level));
  EXPECT_EQ(level, 8u);
}

TEST_F(ClockModulation, ReservedLevelsAndMissingSupportWriteNothing) {
  rig.Requests();
  EXPECT_FALSE(WriteThrottle(cpu, rig.driver, 0));
  EXPECT_FALSE(WriteThrottle(cpu, rig.driver, 9));
  const CpuInfo withoutOdcm = Record("GenuineIntel", 0x6D6);
  EXPECT_FALSE(WriteThrottle(withoutOdcm, rig.driver, 4));
  uint32_t level = 0;
  EXPECT_FALSE(ReadThrottle(withoutOdcm, rig.driver, level));
  EXPECT_EQ(level, 8u);
  EXPECT_TRUE(rig.Requests().empty());
  EXPECT_EQ(Register(), 0x11Eu);
}

TEST(ClockModulationFailures, AnUnreadableRegisterIsNeitherReportedNorWrittenBack) {
  SimRig rig(testing::Machine({}, 0, 1));
  const CpuInfo cpu = Record("GenuineIntel", 0x6D6, {0, 1u << 22});
  uint32_t level = 0;
  EXPECT_FALSE(ReadThrottle(cpu, rig.driver, level));  // all ones would read as level 7
  EXPECT_EQ(level, 8u);
  EXPECT_FALSE(WriteThrottle(cpu, rig.driver, 4));
  for (const auto& request : rig.Requests()) EXPECT_NE(request.code, driver::kWriteMsr);
}

}  // namespace
}  // namespace pacetta
