// The simulated K8 northbridge's power-management registers: the fields each revision
// has, and what the halt state's clock divisor does to the simulated cores.
#include <gtest/gtest.h>

#include <atomic>

#include "cpu/advanced/k8/k8_power_registers.h"
#include "k8_machines.h"
#include "testing/identified_machine.h"

namespace pacetta::testing {
namespace {

// Time that moves only when the test moves it.
class ManualClock final : public sim::SimClock {
 public:
  uint64_t NowNs() override { return now_.load(); }
  void WaitUntil(uint64_t ns) override {
    uint64_t now = now_.load();
    while (now < ns && !now_.compare_exchange_weak(now, ns)) {
    }
  }
  void Advance(uint64_t ns) { now_ += ns; }

 private:
  std::atomic<uint64_t> now_{1'000'000'000};
};

TEST(SimulatedK8Northbridge, EachRevisionKeepsOnlyTheFieldsItHas) {
  struct Case {
    const K8MachineFile* file;
    uint32_t mode, low, high;
  };
  // Bit 7 of every mode byte is reserved; revision E adds the alternate-VID bit of the
  // mode bytes, D4h bits 15:11 and the alternate VID in D8h.
  const Case cases[] = {
      {&kRevisionD, 0x77777777, 0xFFFF0707, 0x700FFFFF},
      {&kRevisionEX2, 0x7F7F7F7F, 0xFFFFFF07, 0x73FFFFFF},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    IdentifiedMachine machine({.machine = WriteK8Machine(folder, *c.file, 0)});
    CK8Northbridge& northbridge = *machine.Sensors().northbridge;
    const std::pair<uint32_t, uint32_t> registers[] = {{k8::kPowerMode0, c.mode},
                                                       {k8::kPowerMode1, c.mode},
                                                       {k8::kClockTimingLow, c.low},
                                                       {k8::kClockTimingHigh, c.high}};
    for (const auto& [reg, fields] : registers) {
      EXPECT_EQ(northbridge.ReadDword(0, reg), 0u) << c.file->name << " " << reg;
      northbridge.WriteDword(0, reg, 0xFFFFFFFF);
      EXPECT_EQ(northbridge.ReadDword(0, reg), fields) << c.file->name << " " << reg;
    }
  }
}

TEST(SimulatedK8Northbridge, TheHaltClockDivisorSlowsAndCoolsTheHaltedCores) {
  struct Case {
    uint32_t haltByte;
    uint32_t divisor;
  };
  const Case cases[] = {
      {0x21, 32},  // CPU low power, select 2: divide by 8 x 2^2
      {0x61, 512},
      {0x20, 1},  // without CPU low power the clock runs on
      {0x71, 1},  // select 7 is reserved
  };
  for (const Case& c : cases) {
    auto clock = std::make_shared<ManualClock>();
    IdentifiedMachine machine({.machine = "k8-x2-laptop", .load = "idle", .clock = clock});
    sim::SimulatedPc& pc = machine.Pc();
    const double idleC = pc.Activity(0)->celsius;
    machine.Sensors().northbridge->WriteDword(0, k8::kPowerMode1, c.haltByte << 24);
    clock->Advance(3600ull * 1'000'000'000);
    for (unsigned k = 0; k < 2; ++k) {
      const auto truth = pc.Activity(k);
      ASSERT_TRUE(truth);
      EXPECT_EQ(pc.ProcessorState(k)->haltedClockDivisor, c.divisor) << c.haltByte << " " << k;
      EXPECT_DOUBLE_EQ(truth->haltedMhz, truth->coreMhz / c.divisor) << c.haltByte << " " << k;
      if (c.divisor > 1) {
        EXPECT_LT(truth->celsius, idleC) << c.haltByte << " " << k;
      } else {
        EXPECT_NEAR(truth->celsius, idleC, 0.01) << c.haltByte << " " << k;
      }
    }
  }
}

}  // namespace
}  // namespace pacetta::testing
