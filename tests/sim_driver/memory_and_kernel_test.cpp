#include <gtest/gtest.h>

#include <cstring>

#include "driver_rig.h"

namespace pacetta::sim::testing {
namespace {

using driver::KernelCallBlock;
using driver::KernelRoutine;

const uint8_t* MappedAddress(const std::vector<uint32_t>& words) {
  return reinterpret_cast<const uint8_t*>(
      static_cast<uintptr_t>(uint64_t{words[1]} << 32 | words[0]));
}

TEST(SimPhysicalMemory, OnlyTheBiosAreaMaps) {
  DriverRig rig(TwoProcessorMachine());
  auto device = rig.InstallAndOpen();
  std::vector<uint32_t> out;
  ASSERT_TRUE(Call<4>(*device, driver::kMapPhysicalMemory, {0xF0000, 0, 0x10000, 0}, out, 2));
  const uint8_t* bios = MappedAddress(out);
  EXPECT_EQ(std::memcmp(bios, TwoProcessorMachine().biosArea.data(), 0x10000), 0);
  std::vector<uint32_t> none;
  EXPECT_TRUE(Call<2>(*device, driver::kUnmapPhysicalMemory, {out[0], out[1]}, none, 0));
  EXPECT_FALSE(Call<2>(*device, driver::kUnmapPhysicalMemory, {out[0], out[1]}, none, 0));

  ASSERT_TRUE(Call<4>(*device, driver::kMapPhysicalMemory, {0xFFFF0, 0, 0x10, 0}, out, 2));
  EXPECT_EQ(MappedAddress(out)[1], static_cast<uint8_t>(0xFFF1 * 7));

  for (const std::array<uint32_t, 4>& request : {std::array<uint32_t, 4>{0xEFFFF, 0, 2, 0},
                                                 {0xFFFF0, 0, 0x11, 0},
                                                 {0xF0000, 1, 0x10, 0},
                                                 {0xF0000, 0, 0, 0},
                                                 {0xA0000, 0, 0x100, 0}}) {
    EXPECT_FALSE(Call<4>(*device, driver::kMapPhysicalMemory, request, out, 2))
        << std::hex << request[0];
  }
  EXPECT_FALSE(Call<2>(*device, driver::kUnmapPhysicalMemory, {0x1234, 0}, none, 0));
}

TEST(SimPhysicalMemory, MachineWithoutBiosAreaMapsNothing) {
  MachineSpec machine = TwoProcessorMachine();
  machine.biosArea.clear();
  DriverRig rig(machine);
  auto device = rig.InstallAndOpen();
  std::vector<uint32_t> out;
  EXPECT_FALSE(Call<4>(*device, driver::kMapPhysicalMemory, {0xF0000, 0, 0x10000, 0}, out, 2));
}

bool RunRoutine(platform::Device& device, KernelCallBlock& block) {
  return device.Control(driver::kRunKernelRoutine, &block, sizeof block, &block, sizeof block,
                        nullptr);
}

KernelCallBlock Routine(KernelRoutine routine) {
  KernelCallBlock block;
  block.routine = static_cast<uint32_t>(routine);
  return block;
}

TEST(SimKernelRoutine, RefusedAndRecordedOnA64BitSystem) {
  DriverRig rig(TwoProcessorMachine(true));
  auto device = rig.InstallAndOpen();
  KernelCallBlock block = Routine(KernelRoutine::kEnableUserCounters);
  EXPECT_FALSE(RunRoutine(*device, block));
  EXPECT_FALSE(rig.driver.Hardware().UserCountersEnabled(0));
  const auto violations = rig.driver.Hardware().Violations().Entries();
  ASSERT_EQ(violations.size(), 1u);
  EXPECT_EQ(violations[0].index, driver::kRunKernelRoutine);
}

TEST(SimKernelRoutine, CounterAccessIsSetPerProcessor) {
  DriverRig rig(TwoProcessorMachine(false));
  auto device = rig.InstallAndOpen();
  KernelCallBlock block = Routine(KernelRoutine::kEnableUserCounters);
  rig.processor = 1;
  ASSERT_TRUE(RunRoutine(*device, block));
  EXPECT_FALSE(rig.driver.Hardware().UserCountersEnabled(0));
  EXPECT_TRUE(rig.driver.Hardware().UserCountersEnabled(1));
  block = Routine(KernelRoutine::kDisableUserCounters);
  ASSERT_TRUE(RunRoutine(*device, block));
  EXPECT_FALSE(rig.driver.Hardware().UserCountersEnabled(1));

  block = Routine(KernelRoutine::kBusyDelay);
  block.edx = 500;
  ASSERT_TRUE(RunRoutine(*device, block));
  EXPECT_EQ(block.edx, 500u);

  block.routine = 0x401000;  // an address in the program, as the real driver took it
  EXPECT_FALSE(RunRoutine(*device, block));
  EXPECT_EQ(rig.driver.Hardware().Violations().Entries().size(), 1u);
}

TEST(SimKernelRoutine, TimerSnapshotTakesTimerCounterAndTsc) {
  DriverRig rig(TwoProcessorMachine(false));
  rig.driver.Hardware().Bank(0)->SetPerformanceCounterBase(0xC0010004);
  rig.driver.Hardware().Bank(0)->WithStorage(
      [](MsrStorage& storage) { storage.Add(0xC0010005, 0x000000AB'12345678ull); });
  auto device = rig.InstallAndOpen();
  rig.nowNs = 838'096;  // 1000 timer clocks
  rig.tsc = 0x00000012'9ABCDEF0ull;

  KernelCallBlock block = Routine(KernelRoutine::kTimerSnapshot);
  block.ecx = 1;
  ASSERT_TRUE(RunRoutine(*device, block));
  EXPECT_EQ(block.esi, 65536u - 2000);  // square-wave mode: two counts per clock
  EXPECT_EQ(block.ebx, 0x12345678u);
  EXPECT_EQ(block.ecx, 0xABu);
  EXPECT_EQ(block.eax, 0x9ABCDEF0u);
  EXPECT_EQ(block.edx, 0x12u);

  // Processor 1 has no counters the driver knows of.
  rig.processor = 1;
  block = Routine(KernelRoutine::kTimerSnapshot);
  ASSERT_TRUE(RunRoutine(*device, block));
  EXPECT_EQ(block.ebx, 0xFFFFFFFFu);
  EXPECT_EQ(block.ecx, 0xFFFFFFFFu);
}

// A status register that reports the transition pending for a number of reads.
class K7Status : public MsrHandler {
 public:
  explicit K7Status(uint32_t pendingReads) : pendingReads_(pendingReads) {}
  MsrAccess Read(MsrContext&, uint32_t index, uint64_t& value) override {
    if (index != 0xC0010042) return MsrAccess::kNotHandled;
    value = pendingReads_ > 0 ? 0x80000000u | control_ : control_;
    if (pendingReads_ > 0) --pendingReads_;
    return MsrAccess::kDone;
  }
  MsrAccess Write(MsrContext&, uint32_t index, uint64_t value) override {
    if (index != 0xC0010041) return MsrAccess::kNotHandled;
    control_ = static_cast<uint32_t>(value & 0x3F);
    return MsrAccess::kDone;
  }
  uint32_t control_ = 0;

 private:
  uint32_t pendingReads_;
};

TEST(SimKernelRoutine, K7TransitionWritesControlAndCountsStatusReads) {
  DriverRig rig(TwoProcessorMachine(false));
  auto status = std::make_shared<K7Status>(3);
  rig.driver.Hardware().Bank(0)->AddHandler(status);
  auto device = rig.InstallAndOpen();
  KernelCallBlock block = Routine(KernelRoutine::kK7Transition);
  block.eax = 0x0001000C;
  block.edx = 0x0000012C;
  ASSERT_TRUE(RunRoutine(*device, block));
  EXPECT_EQ(status->control_, 0x0Cu);
  EXPECT_EQ(block.ebx, 4u);  // three pending, one done

  auto stuck = std::make_shared<K7Status>(5000);
  rig.driver.Hardware().Bank(0)->AddHandler(stuck);  // behind the first: never consulted
  rig.processor = 1;
  rig.driver.Hardware().Bank(1)->AddHandler(stuck);
  block = Routine(KernelRoutine::kK7Transition);
  ASSERT_TRUE(RunRoutine(*device, block));
  EXPECT_EQ(block.ebx, 1000u);

  // Processor 1's bank without the model: its control register is absent, a fault.
  MachineSpec plain = TwoProcessorMachine(false);
  DriverRig plainRig(plain);
  auto plainDevice = plainRig.InstallAndOpen();
  block = Routine(KernelRoutine::kK7Transition);
  EXPECT_FALSE(RunRoutine(*plainDevice, block));
  EXPECT_EQ(plainRig.driver.Hardware().Violations().Entries().size(), 1u);
}

}  // namespace
}  // namespace pacetta::sim::testing
