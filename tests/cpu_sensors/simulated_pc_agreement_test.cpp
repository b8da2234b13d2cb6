// The readings taken through the program's own code paths on whole simulated PCs of
// every family agree with what the simulated hardware is really doing.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/report/cpu_report.h"
#include "cpu/identify/feature_predicates.h"
#include "cpu/pstate/clock_modulation.h"
#include "cpu/pstate/pstate_limits.h"
#include "cpu/sensors/busy_load.h"
#include "cpu/sensors/clock_measurement.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/temperature.h"
#include "hw/pinning.h"
#include "platform/sim/simulated_pc.h"
#include "testing/identified_machine.h"

namespace pacetta::testing {
namespace {

constexpr uint64_t kMs = 1'000'000;

// Time that moves only when the test moves it or a simulated processor busy-waits.
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

// A folder of its own for every test and machine: ctest runs tests side by side, and a
// simulated machine's driver service lives in its state folder.
std::string StateFolder(const std::string& machine) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "sensors-" + test->name() + "-" + machine;
}

// One simulated PC with the program's driver open on it and every processor identified
// with its readings, as start-up does, in time that only the test moves.
struct IdentifiedPc {
  IdentifiedPc(const std::string& name, const std::string& load, bool system32 = false)
      : machine({.machine = name, .load = load, .system32 = system32, .clock = clock}) {}
  void Pin(unsigned k) { PinToProcessor(machine.View().processors, k); }

  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
  IdentifiedMachine machine;
  // The machine's parts under the names the tests use.
  const bool opened = machine.Driver().IsOpen();
  sim::SimulatedPc* const pc = &machine.Pc();
  CPortexDriver* const driver = &machine.Driver();
  SensorHardware* const sensors = &machine.Sensors();
  std::vector<CpuInfo>& records = machine.Records();
};

const std::vector<std::string> kMachines = {
    "k8-desktop",       "k8-x2-laptop", "k7-mobile-laptop", "pentium-m-laptop", "core-duo-laptop",
    "core2-duo-laptop", "pentium4-ht",  "via-c7",           "transmeta"};

TEST(SimulatedPcAgreement, CurrentStateIsTheModelsState) {
  for (const std::string& machine : kMachines) {
    IdentifiedPc pc(machine, "idle");
    ASSERT_TRUE(pc.opened) << machine;
    for (CpuInfo& cpu : pc.records) {
      const auto truth = pc.pc->ProcessorState(cpu.index);
      if (!truth) continue;
      EXPECT_EQ(cpu.currentFid, truth->current.fid) << machine << " " << cpu.index;
      if (!cpu.isK8 || cpu.isAmdPowerNow) {
        EXPECT_EQ(cpu.currentVid, truth->current.vid) << machine << " " << cpu.index;
      }
    }
    EXPECT_TRUE(pc.pc->Violations().empty()) << machine;
  }
}

// Against the operating system's counter and against the 8254, on 64- and 32-bit systems
// (the 32-bit one reads the timer and counters through the kernel routines).
TEST(SimulatedPcAgreement, ClockAndThrottleMatchTheCore) {
  struct Variant {
    const char* load;
    bool use8254;
    bool system32;
  };
  const Variant variants[] = {
      {"full", false, false}, {"script:busy=30", false, false}, {"full", true, false},
      {"full", true, true},   {"script:busy=30", true, true},
  };
  for (const std::string& machine : kMachines) {
    for (const Variant& variant : variants) {
      const std::string load = variant.load;
      IdentifiedPc pc(machine, load, variant.system32);
      ASSERT_TRUE(pc.opened) << machine;
      for (CpuInfo& cpu : pc.records) {
        cpu.switches.use8254 = variant.use8254 ? 1 : 0;
        pc.Pin(cpu.index);
        ReadCurrentState(cpu, *pc.sensors);
        ClockReading reading;
        const bool measured = MeasureClock(cpu, *pc.sensors, 100000, reading);
        const std::string where = machine + " cpu " + std::to_string(cpu.index) + " " + load +
                                  (variant.use8254 ? " 8254" : " os counter") +
                                  (variant.system32 ? " 32-bit" : " 64-bit");
        if (cpu.isTransmeta && cpu.maxFid == 0) {
          // The LongRun range is read with the LongRun settings; without its top the
          // ratio to the counter is unknown.
          EXPECT_FALSE(measured) << where;
          continue;
        }
        const auto truth = pc.pc->Activity(cpu.index);
        ASSERT_TRUE(truth) << where;
        ASSERT_TRUE(measured) << where;
        // The measuring thread keeps its processor busy: idle time never lowers the throttle.
        EXPECT_NEAR(reading.clockHz / 1e6, truth->coreMhz, truth->coreMhz * 0.002) << where;
        if (reading.throttle >= 0) {
          EXPECT_NEAR(reading.throttle, truth->duty, 0.01) << where;
        }
      }
    }
  }
}

TEST(SimulatedPcAgreement, ClockModulationShowsAsThrottle) {
  int modulated = 0;
  for (const std::string& machine : kMachines) {
    IdentifiedPc pc(machine, "full");
    ASSERT_TRUE(pc.opened) << machine;
    for (CpuInfo& cpu : pc.records) {
      if (!SupportsOdcm(cpu)) continue;
      pc.Pin(cpu.index);
      ASSERT_TRUE(WriteThrottle(cpu, *pc.driver, 3)) << machine;
      ClockReading reading;
      ASSERT_TRUE(MeasureClock(cpu, *pc.sensors, 100000, reading)) << machine;
      const auto truth = pc.pc->Activity(cpu.index);
      ASSERT_TRUE(truth);
      EXPECT_DOUBLE_EQ(truth->duty, 3.0 / 8) << machine << " the model modulates";
      EXPECT_NEAR(reading.throttle, truth->duty, 0.01) << machine << " cpu " << cpu.index;
      // The clock is still the core's: modulation stops it, it does not slow it.
      EXPECT_NEAR(reading.clockHz / 1e6, truth->coreMhz, truth->coreMhz * 0.002) << machine;
      ++modulated;
    }
  }
  EXPECT_GE(modulated, 4) << "the Intel machines modulate";
}

TEST(SimulatedPcAgreement, BusyLoadIsTheModelsBusyShare) {
  for (const std::string& machine : kMachines) {
    for (bool system32 : {false, true}) {
      IdentifiedPc pc(machine, "script:busy=40", system32);
      ASSERT_TRUE(pc.opened) << machine;
      pc.clock->Advance(50 * kMs);
      for (CpuInfo& cpu : pc.records) {
        pc.Pin(cpu.index);
        ReadCurrentState(cpu, *pc.sensors);
        const double load = BusyLoad(cpu, *pc.sensors, kMonitoringSlot, 1);
        const auto truth = pc.pc->Activity(cpu.index);
        ASSERT_TRUE(truth);
        const std::string where = machine + " cpu " + std::to_string(cpu.index);
        if (load < 0) {
          EXPECT_FALSE(cpu.isAmdPowerNow || cpu.isIntelP6 || cpu.isIntelSpeedStep || cpu.isPentium4)
              << where;
          continue;
        }
        EXPECT_NEAR(load, 100.0 * truth->busy * truth->duty, 0.5) << where << " " << system32;
      }
      EXPECT_TRUE(pc.pc->Violations().empty()) << machine << " " << system32;
    }
  }
}

TEST(SimulatedPcAgreement, TemperatureIsTheModelsWithinTheSensorsStep) {
  int sensors = 0;
  for (const std::string& machine : kMachines) {
    IdentifiedPc pc(machine, "full");
    ASSERT_TRUE(pc.opened) << machine;
    pc.clock->Advance(30'000 * kMs);  // long enough for the cores to warm up
    for (CpuInfo& cpu : pc.records) {
      pc.Pin(cpu.index);
      double average = 0.0;
      const bool read = ReadTemperature(cpu, *pc.sensors, 1, average);
      const std::string where = machine + " cpu " + std::to_string(cpu.index);
      EXPECT_EQ(read, HasTemperature(cpu)) << where;
      if (!read) continue;
      const auto truth = pc.pc->Activity(cpu.index);
      ASSERT_TRUE(truth);
      EXPECT_NEAR(average, truth->celsius, 1.0) << where;
      EXPECT_GT(truth->celsius, 40.0) << where << ": a busy core warms up";
      ++sensors;
    }
  }
  EXPECT_GE(sensors, 5) << "K8 and Core machines read their sensors";
}

TEST(SimulatedPcAgreement, TheProcessorReportShowsTheReadings) {
  sim::SimulationOptions options;
  options.machine = "k8-x2-laptop";
  options.load = "full";
  options.clock = std::make_shared<ManualClock>();
  options.stateFolder = StateFolder("report");
  options.settingsPath = options.stateFolder + "/settings.json";
  std::string error;
  auto pc = sim::SimulatedPc::Create(options, error);
  ASSERT_TRUE(pc) << error;
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(RunCpuReport(pc->View(), out), 0);
  std::rewind(out);
  char line[16384];
  unsigned k = 0;
  while (std::fgets(line, sizeof line, out) != nullptr) {
    const auto report = nlohmann::json::parse(line);
    const auto truth = pc->ProcessorState(k);
    ASSERT_TRUE(truth);
    const auto& readings = report.at("readings");
    EXPECT_EQ(readings["current"]["fid"]["fid"], truth->current.fid) << k;
    EXPECT_EQ(readings["current"]["vid"]["vid"], truth->current.vid) << k;
    EXPECT_EQ(readings["requested"], readings["current"]) << k;
    EXPECT_NEAR(readings["temperature"].get<double>(), pc->Activity(k)->celsius, 1.0) << k;
    ++k;
  }
  std::fclose(out);
  EXPECT_EQ(k, 2u);
}

}  // namespace
}  // namespace pacetta::testing
