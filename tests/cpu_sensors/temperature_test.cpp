#include "cpu/sensors/temperature.h"

#include <gtest/gtest.h>

#include "cpu/sensors/overheat.h"
#include "cpu/sensors/reading_fields.h"
#include "tests/cpu_sensors/families.h"

namespace pacetta::testing {
namespace {

constexpr uint32_t kThermtrip = 0xE4;

// Function 3 of node `node`'s northbridge with the thermtrip status register holding
// `raw` in its temperature field (bits 23..14) and the thermtrip enable bit 5.
sim::PciDeviceSpec Northbridge(uint32_t node, uint32_t raw) {
  std::vector<uint8_t> config(256, 0);
  const uint32_t value = raw << 14 | 0x20;
  for (unsigned i = 0; i < 4; ++i) config[kThermtrip + i] = static_cast<uint8_t>(value >> (8 * i));
  return {0, (0x18 + node) * 8 + 3, config};
}

uint32_t Thermtrip(SensorRig& rig, uint32_t node) {
  uint32_t value = 0;
  for (unsigned i = 0; i < 4; ++i) {
    value |=
        uint32_t{rig.simDriver.Hardware().Pci().ReadByte(0, (0x18 + node) * 8 + 3, kThermtrip + i)}
        << (8 * i);
  }
  return value;
}

double ReadOnce(SensorRig& rig, CpuInfo& cpu, uint32_t depth = 1) {
  double average = 0.0;
  rig.Pin(cpu.index);
  return ReadTemperature(cpu, rig.sensors, depth, average) ? average : sensors::kNotAvailable;
}

TEST(K8Temperature, RevisionFReadsQuarterDegreesOlderPartsWholeDegrees) {
  struct Case {
    ProcessorLeaves leaves;
    uint32_t raw;
    double expected;
  };
  const std::vector<Case> cases = {
      {K8RevE(kAmdThermalSensor), 0x18C, 50.0},
      {K8RevF(kAmdThermalSensor), 0x18C, 50.0},
      {K8RevE(kAmdThermalSensor), 0x18D, 50.0},
      {K8RevF(kAmdThermalSensor), 0x18D, 50.25},
  };
  for (const Case& c : cases) {
    SensorRig rig({Processor(c.leaves)}, true, {Northbridge(0, c.raw)});
    CpuInfo cpu = rig.Identify(0);
    ASSERT_TRUE(InitTemperature(cpu, rig.sensors));
    EXPECT_EQ(cpu.tempBase, -49);
    EXPECT_DOUBLE_EQ(ReadOnce(rig, cpu), c.expected) << c.raw;
  }
}

TEST(K8Temperature, SelectsTheCoreOfItsOwnNodeAndAddsTheOffset) {
  // Two packages: the second's secondary core reads node 1 with core select 1.
  SensorRig rig({Processor(K8RevF(kAmdThermalSensor)), Processor(K8RevF(kAmdThermalSensor))}, true,
                {Northbridge(0, 0x100), Northbridge(1, 0x18C)});
  CpuInfo cpu = rig.Identify(1);
  cpu.packageId = 1;
  cpu.isSecondary = 1;
  cpu.tempOffset = -3;
  ASSERT_TRUE(InitTemperature(cpu, rig.sensors));
  EXPECT_EQ(cpu.temperatures.front(), 47.0f);
  EXPECT_EQ(cpu.temperatures.back(), 47.0f);
  EXPECT_EQ(Thermtrip(rig, 1), 0x18Cu << 14 | 0x20 | 0x4) << "core select set, other bits kept";
  EXPECT_EQ(Thermtrip(rig, 0), 0x100u << 14 | 0x20) << "the other node is left alone";

  cpu.isSecondary = 0;
  ReadOnce(rig, cpu);
  EXPECT_EQ(Thermtrip(rig, 1), 0x18Cu << 14 | 0x20) << "core select cleared for core 0";
}

TEST(K8Temperature, WithoutItsNorthbridgeNoReadingIsValid) {
  SensorRig rig({Processor(K8RevF(kAmdThermalSensor))});
  CpuInfo cpu = rig.Identify(0);
  ASSERT_TRUE(InitTemperature(cpu, rig.sensors));
  EXPECT_EQ(cpu.temperatures[0], sensors::kInvalidTemperature);
  EXPECT_EQ(ReadOnce(rig, cpu), sensors::kNotAvailable);
}

struct IntelCase {
  ProcessorLeaves leaves;
  std::map<uint32_t, uint64_t> registers;
};

TEST(IntelTemperature, TheReadoutCountsDownFromTheJunctionMaximum) {
  const uint64_t readout35 = 0x8000'0000ull | 35u << 16;
  // Core 2 with the 85 °C marker: 85 - 35.
  SensorRig core2({Processor(Core2(), {{0xEE, 1u << 30}, {0x19C, readout35}})});
  CpuInfo cpu = core2.Identify(0);
  ASSERT_TRUE(InitTemperature(cpu, core2.sensors));
  EXPECT_EQ(cpu.tempBase, 85);
  EXPECT_EQ(cpu.temperatures[0], 50.0f);

  // Without the marker, and on a Core Duo (which has no 0xEE), the maximum is 100.
  SensorRig duo({Processor(CoreDuo(), {{0x19C, readout35}})});
  cpu = duo.Identify(0);
  cpu.tempOffset = 5;
  ASSERT_TRUE(InitTemperature(cpu, duo.sensors));
  EXPECT_EQ(cpu.tempBase, 105);
  EXPECT_EQ(ReadOnce(duo, cpu), 70.0);
}

TEST(IntelTemperature, InvalidReadingsAreMarkedAndLeftOutOfTheMean) {
  SensorRig rig({Processor(Core2(), {{0xEE, 1u << 30}, {0x19C, 0x8000'0000ull | 35u << 16}})});
  CpuInfo cpu = rig.Identify(0);
  ASSERT_TRUE(InitTemperature(cpu, rig.sensors));
  rig.Bank(0).WithStorage([](sim::MsrStorage& s) { return s.Set(0x19C, 35u << 16); });
  EXPECT_EQ(ReadOnce(rig, cpu, 4), 50.0) << "the invalid reading is skipped";
  EXPECT_EQ(cpu.temperatures[0], sensors::kInvalidTemperature);

  // A register that cannot be read is invalid too, not 127 degrees below the maximum.
  rig.Bank(0).WithStorage([](sim::MsrStorage& s) {
    s.Remove(0x19C);
    return true;
  });
  EXPECT_EQ(ReadOnce(rig, cpu, 2), sensors::kNotAvailable) << "no valid reading left";
  EXPECT_EQ(cpu.temperatures[1], sensors::kInvalidTemperature);
}

TEST(Temperature, TheRingAveragesTheLastReadingsAcrossItsEnd) {
  SensorRig rig({Processor(CoreDuo(), {{0x19C, 0x8000'0000ull | 60u << 16}})});
  CpuInfo cpu = rig.Identify(0);
  ASSERT_TRUE(InitTemperature(cpu, rig.sensors));  // 40 everywhere
  cpu.temperatureIndex = 62;
  const auto set = [&](uint32_t below) {
    rig.Bank(0).WithStorage(
        [&](sim::MsrStorage& s) { return s.Set(0x19C, 0x8000'0000ull | below << 16); });
  };
  set(50);
  EXPECT_EQ(ReadOnce(rig, cpu, 1), 50.0);  // slot 62
  set(40);
  EXPECT_EQ(ReadOnce(rig, cpu, 2), 55.0);  // slots 63, 62
  set(30);
  EXPECT_EQ(ReadOnce(rig, cpu, 3), 60.0);  // slots 0, 63, 62
  EXPECT_EQ(ReadOnce(rig, cpu, 200), (70.0 * 2 + 60 + 50 + 40 * 60) / 64) << "depth capped";
  EXPECT_EQ(cpu.temperatureIndex, 66u);
}

TEST(Temperature, OnlyK8AndCoreWithASensorHaveOne) {
  SensorRig rig({Processor(CoreDuo(0)), Processor(ViaC7()), Processor(Amd(0xF48, 0)),
                 Processor(CoreDuo()), Processor(K8RevF(kAmdThermalSensor))});
  const std::vector<bool> expected = {false, false, false, true, true};
  for (unsigned k = 0; k < expected.size(); ++k) {
    CpuInfo cpu = rig.Identify(k);
    EXPECT_EQ(HasTemperature(cpu), expected[k]) << k;
    if (expected[k]) continue;
    EXPECT_FALSE(InitTemperature(cpu, rig.sensors)) << k;
    EXPECT_EQ(ReadOnce(rig, cpu), sensors::kNotAvailable) << k;
  }
}

TEST(Overheat, TheStickyLogIsReportedOnceAndAcknowledged) {
  SensorRig rig({Processor(CoreDuo(), {{0x19C, 0x8823'0002ull}})});
  CpuInfo cpu = rig.Identify(0);
  EXPECT_TRUE(ReadOverheat(cpu, rig.sensors));
  EXPECT_EQ(rig.Register(0, 0x19C), 0x8823'0000ull) << "only the log bit is cleared";
  EXPECT_FALSE(ReadOverheat(cpu, rig.sensors));

  // Throttling now is reported without any write.
  rig.Bank(0).WithStorage([](sim::MsrStorage& s) { return s.Set(0x19C, 0x1); });
  rig.Requests();
  EXPECT_TRUE(ReadOverheat(cpu, rig.sensors));
  EXPECT_TRUE(rig.MsrWrites().empty());
}

TEST(Overheat, NothingIsReadOrWrittenWithoutAMonitorOrAValue) {
  // No thermal monitor: the register is not even read.
  SensorRig noMonitor({Processor(PentiumM(), {{0x19C, 0x3}}), Processor(K8RevF())});
  for (unsigned k : {0u, 1u}) {
    CpuInfo cpu = noMonitor.Identify(k);
    EXPECT_FALSE(ReadOverheat(cpu, noMonitor.sensors)) << k;
    EXPECT_TRUE(noMonitor.Requests().empty()) << k;
  }
  // A failed read would look like both bits set: it must not report heat or write back.
  SensorRig unreadable({Processor(CoreDuo())});
  CpuInfo cpu = unreadable.Identify(0);
  EXPECT_FALSE(ReadOverheat(cpu, unreadable.sensors));
  EXPECT_TRUE(unreadable.MsrWrites().empty());
}

}  // namespace
}  // namespace pacetta::testing
