// Today's laptops on the simulated PC: their counters, energy, temperatures and the
// kernel's frequency policy that steers their clock.
#include <gtest/gtest.h>

#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/kernel/sim_kernel_cpu.h"
#include "tests/sim_workload/workload_rig.h"

namespace pacetta::sim::testing {
namespace {

constexpr uint32_t kMperf = 0xE7, kAperf = 0xE8;

// A catalogue machine's processors, models, workload and kernel policy on a hand clock.
class ModernRig {
 public:
  ModernRig(const std::string& name, const std::string& load, const std::string& thermal = "") {
    auto machine = FindCatalogueMachine(name);
    EXPECT_TRUE(machine.has_value()) << name;
    machine_ = std::move(machine).value_or(MachineSpec{});
    ClockNs clock = [c = clock_] { return c->NowNs(); };
    hardware_ = std::make_unique<DriverHardware>(machine_, clock);
    models_ = AttachProcessorModels(machine_, *hardware_, clock);
    workload_ =
        std::make_unique<Workload>(machine_, *hardware_, models_, clock_, Options(load, thermal));
    kernel_ = std::make_unique<SimKernelCpu>(machine_, models_,
                                             [this](unsigned k) { return workload_->Truth(k); });
  }
  ~ModernRig() {
    kernel_.reset();
    workload_.reset();
  }
  uint64_t Read(uint32_t index, unsigned k) {
    uint64_t value = 0;
    EXPECT_TRUE(hardware_->Bank(k)->Read(index, value)) << std::hex << index;
    return value;
  }
  void Advance(uint64_t ns) { clock_->Advance(ns); }
  double TrueMhz(unsigned k) { return workload_->Truth(k).value_or(ProcessorTruth{}).coreMhz; }
  SimKernelCpu& Kernel() { return *kernel_; }
  unsigned Count() const { return static_cast<unsigned>(machine_.processors.size()); }

 private:
  std::shared_ptr<ManualClock> clock_ = std::make_shared<ManualClock>();
  MachineSpec machine_;
  std::unique_ptr<DriverHardware> hardware_;
  ProcessorModels models_;
  std::unique_ptr<Workload> workload_;
  std::unique_ptr<SimKernelCpu> kernel_;
};

struct MachineCase {
  const char* name;
  double timeStampMhz;
  uint32_t energyRegister;
  unsigned energyUnitBits;
  const char* driver;
  const char* packageSensor;
};
const MachineCase kMachines[] = {
    {"zen-laptop", 2900, 0xC001029B, 16, "amd-pstate-epp", "Tctl"},
    {"hybrid-laptop", 2688, 0x611, 14, "intel_pstate", "Package id 0"},
};

// MPERF counts at the time-stamp rate and APERF at the clock, both only while busy: their
// ratio times the time-stamp rate is the clock, whatever the load and the limits.
TEST(ModernCounters, AperfOverMperfTimesTheTimeStampRateIsTheTrueClock) {
  for (const auto& machine : kMachines) {
    for (const char* load : {"full", "script:busy=40"}) {
      SCOPED_TRACE(std::string(machine.name) + " " + load);
      ModernRig rig(machine.name, load);
      ASSERT_EQ(rig.Count(), 4u);
      const uint32_t lowest = rig.Kernel().Policies()[1].hardwareMinKhz;
      ASSERT_TRUE(rig.Kernel().SetLimits(1, lowest, 2'000'000));  // processor 1 slower
      for (unsigned k = 0; k < rig.Count(); ++k) {
        const uint64_t m0 = rig.Read(kMperf, k), a0 = rig.Read(kAperf, k);
        rig.Advance(kSecond);
        const double mperf = static_cast<double>(rig.Read(kMperf, k) - m0);
        const double aperf = static_cast<double>(rig.Read(kAperf, k) - a0);
        ASSERT_GT(mperf, 0);
        EXPECT_NEAR(aperf / mperf * machine.timeStampMhz, rig.TrueMhz(k), rig.TrueMhz(k) * 0.01);
      }
      EXPECT_LE(rig.TrueMhz(1), 2000.0);
    }
  }
}

// The package energy counter grows with the power: more under full load than idle, and
// about the machine's modelled watts.
TEST(ModernCounters, PackageEnergyGrowsWithPower) {
  for (const auto& machine : kMachines) {
    SCOPED_TRACE(machine.name);
    double joules[2] = {};
    int i = 0;
    for (const char* load : {"idle", "full"}) {
      ModernRig rig(machine.name, load);
      const uint64_t e0 = rig.Read(machine.energyRegister, 0);
      rig.Advance(2 * kSecond);
      joules[i++] = std::ldexp(static_cast<double>(rig.Read(machine.energyRegister, 0) - e0),
                               -static_cast<int>(machine.energyUnitBits));
    }
    EXPECT_GT(joules[0], 0);
    EXPECT_GT(joules[1], 3 * joules[0]);
  }
}

// The policy behaves as the kernel's: out-of-range values clamp, a maximum below the
// minimum is refused and changes nothing, an unknown policy is refused, boost off caps
// the maximum at the base clock and boost on gives back what was asked.
TEST(ModernPolicy, LimitsOutsideTheHardwareAreRefusedAndBoostCapsAtTheBase) {
  for (const auto& machine : kMachines) {
    SCOPED_TRACE(machine.name);
    ModernRig rig(machine.name, "full");
    auto policies = rig.Kernel().Policies();
    ASSERT_EQ(policies.size(), 4u);
    const auto hw = policies[0];
    EXPECT_EQ(hw.driver, machine.driver);
    EXPECT_EQ(hw.maxKhz, hw.hardwareMaxKhz);
    EXPECT_LT(hw.baseKhz, hw.hardwareMaxKhz);

    // Beyond the hardware's limits the helper refuses; the policy stays.
    EXPECT_FALSE(rig.Kernel().SetLimits(0, hw.hardwareMinKhz - 1, hw.hardwareMaxKhz));
    EXPECT_FALSE(rig.Kernel().SetLimits(0, hw.hardwareMinKhz, hw.hardwareMaxKhz + 1));
    ASSERT_TRUE(rig.Kernel().SetLimits(0, hw.hardwareMinKhz, hw.baseKhz));
    EXPECT_EQ(rig.Kernel().Policies()[0].maxKhz, hw.baseKhz);
    ASSERT_TRUE(rig.Kernel().SetLimits(0, hw.hardwareMinKhz, hw.hardwareMaxKhz));

    EXPECT_FALSE(rig.Kernel().SetLimits(0, 2'000'000, 1'500'000));
    EXPECT_FALSE(rig.Kernel().SetLimits(99, hw.hardwareMinKhz, hw.hardwareMaxKhz));
    EXPECT_EQ(rig.Kernel().Policies()[0].maxKhz, hw.hardwareMaxKhz);

    EXPECT_TRUE(rig.Kernel().SetBoost(false));
    EXPECT_EQ(rig.Kernel().Policies()[0].maxKhz, hw.baseKhz);
    EXPECT_NEAR(rig.TrueMhz(0), hw.baseKhz / 1000.0, 1);
    EXPECT_TRUE(rig.Kernel().SetBoost(true));
    EXPECT_EQ(rig.Kernel().Policies()[0].maxKhz, hw.hardwareMaxKhz);

    EXPECT_TRUE(rig.Kernel().SetEnergyPreference(0, "power"));
    EXPECT_FALSE(rig.Kernel().SetEnergyPreference(0, "turbo"));
    EXPECT_EQ(rig.Kernel().Policies()[0].energyPreference, "power");
  }
}

// Under full load the clock is the policy's maximum; lowering it lowers the true clock
// and the kernel's current clock; at idle the clock drops to the minimum.
TEST(ModernPolicy, SteeringTheMaximumMovesTheTrueClock) {
  for (const auto& machine : kMachines) {
    SCOPED_TRACE(machine.name);
    ModernRig busy(machine.name, "full");
    const auto hw = busy.Kernel().Policies()[0];
    EXPECT_NEAR(busy.TrueMhz(0), hw.hardwareMaxKhz / 1000.0, 1);
    ASSERT_TRUE(busy.Kernel().SetLimits(0, hw.hardwareMinKhz, 1'800'000));
    EXPECT_NEAR(busy.TrueMhz(0), 1800, 1);
    EXPECT_EQ(busy.Kernel().CurrentKhz(0), 1'800'000u);
    EXPECT_NEAR(busy.TrueMhz(2), busy.Kernel().Policies()[2].hardwareMaxKhz / 1000.0, 1);

    ModernRig idle(machine.name, "idle");
    EXPECT_NEAR(idle.TrueMhz(0), hw.hardwareMinKhz / 1000.0, 1);
  }
}

TEST(ModernPolicy, HybridCoreTypesHaveTheirOwnLimits) {
  ModernRig rig("hybrid-laptop", "idle");
  const auto policies = rig.Kernel().Policies();
  ASSERT_EQ(policies.size(), 4u);
  EXPECT_EQ(policies[0].hardwareMaxKhz, policies[1].hardwareMaxKhz);
  EXPECT_GT(policies[0].hardwareMaxKhz, policies[2].hardwareMaxKhz);
  EXPECT_GT(policies[0].baseKhz, policies[3].baseKhz);
  EXPECT_EQ(policies[2].hardwareMaxKhz, 3'500'000u);
}

// The hardware monitors read the thermal model: warmer under load, the package the
// hottest of its processors; coretemp also shows each core.
TEST(ModernSensors, TemperaturesFollowTheThermalModel) {
  for (const auto& machine : kMachines) {
    SCOPED_TRACE(machine.name);
    double package[2] = {};
    int i = 0;
    for (const char* load : {"idle", "full"}) {
      ModernRig rig(machine.name, load, "ambient=30,rise=40,tau=1");
      rig.Advance(10 * kSecond);
      const auto sensors = rig.Kernel().Temperatures();
      ASSERT_FALSE(sensors.empty());
      EXPECT_EQ(sensors[0].label, machine.packageSensor);
      EXPECT_EQ(sensors[0].cpus.size(), 4u);
      package[i++] = sensors[0].celsius;
      for (const auto& sensor : sensors) EXPECT_LE(sensor.celsius, sensors[0].celsius);
    }
    EXPECT_GT(package[1], package[0] + 5);
  }
}

TEST(ModernPolicy, OlderMachinesHaveNoKernelDriver) {
  ModernRig rig("core2-duo-laptop", "idle");
  EXPECT_TRUE(rig.Kernel().Policies().empty());
  EXPECT_TRUE(rig.Kernel().Temperatures().empty());
  EXPECT_FALSE(rig.Kernel().CurrentKhz(0));
  EXPECT_FALSE(rig.Kernel().SetBoost(false));
}

}  // namespace
}  // namespace pacetta::sim::testing
