#include <gtest/gtest.h>

#include <algorithm>

#include "cpu/pstate/pstate_limits.h"
#include "tests/cpu_pstate/records.h"

namespace pacetta {
namespace {

using testing::Halves;
using testing::Record;
using testing::SimRig;

struct Limits {
  int32_t startFid, minFid, maxFid, startVid, minVid, maxVid;
  bool operator==(const Limits&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Limits& l) {
  return out << "fid " << l.startFid << "/" << l.minFid << "/" << l.maxFid << " vid " << l.startVid
             << "/" << l.minVid << "/" << l.maxVid;
}

// Reads `cpu`'s limits as processor 1 (the registers live only there, so a read on the
// wrong processor shows) of a machine with a node-1 northbridge whose link register
// (function 0, 0x88) holds `link`.
class LimitsOnSim {
 public:
  explicit LimitsOnSim(std::map<uint32_t, uint64_t> registers, uint32_t link = 0x500)
      : rig_(MachineWith(std::move(registers), link)) {}

  Limits Read(CpuInfo cpu, LongRunRangeSource longRun = {}) {
    cpu.index = 1;
    cpu.packageId = 1;
    PStateHardware hardware{rig_.driver, rig_.processors, std::move(longRun)};
    ReadPStateLimits(cpu, hardware);
    EXPECT_EQ(rig_.processors.CurrentProcessor(), 1u);
    return {cpu.startFid, cpu.minFid, cpu.maxFid, cpu.startVid, cpu.minVid, cpu.maxVid};
  }
  bool PciWasRead() {
    const auto requests = rig_.Requests();
    return std::any_of(requests.begin(), requests.end(),
                       [](const auto& r) { return r.code == driver::kWritePortDword; });
  }

 private:
  static sim::MachineSpec MachineWith(std::map<uint32_t, uint64_t> registers, uint32_t link) {
    sim::MachineSpec machine = testing::Machine(std::move(registers), 1);
    std::vector<uint8_t> config(256, 0);
    config[0x88] = static_cast<uint8_t>(link), config[0x89] = static_cast<uint8_t>(link >> 8);
    machine.pciDevices = {testing::PciFunction(0, 0xC8, config)};
    return machine;
  }
  SimRig rig_;
};

CpuInfo Unlocked(CpuInfo cpu, bool fid, bool vid) {
  cpu.switches.unlockFid = fid;
  cpu.switches.unlockVid = vid;
  return cpu;
}

// FIDVID_STATUS: start FID 10, highest 14; start VID 6, highest-voltage VID 2, part
// minimum `minVid`.
uint64_t K8Status(uint32_t minVid) {
  return Halves(minVid << 24 | 2 << 16 | 6 << 8, 14 << 16 | 10 << 8 | 10);
}

TEST(PStateLimits, AmdK8) {
  LimitsOnSim slowLink({{0xC0010042, K8Status(18)}}, 0x500);
  EXPECT_EQ(slowLink.Read(testing::K8()), (Limits{10, 0, 14, 6, 30, 2}));
  EXPECT_TRUE(slowLink.PciWasRead());
  EXPECT_EQ(LimitsOnSim({{0xC0010042, K8Status(18)}}, 0x600).Read(testing::K8()).minFid, 2);
  EXPECT_EQ(LimitsOnSim({{0xC0010042, K8Status(18)}}, 0xF00).Read(testing::K8()).minFid, 0);

  LimitsOnSim sim({{0xC0010042, K8Status(18)}}, 0x600);
  const CpuInfo revE = testing::K8(0x20F71), npt = testing::K8(0x40F32);
  EXPECT_EQ(sim.Read(revE), (Limits{10, 2, 14, 6, 18, 2}));
  EXPECT_EQ(sim.Read(npt), (Limits{10, 2, 14, 6, 18, 2}));
  EXPECT_EQ(LimitsOnSim({{0xC0010042, K8Status(1)}}).Read(revE).minVid, 30);
  EXPECT_EQ(LimitsOnSim({{0xC0010042, K8Status(1)}}).Read(npt).minVid, 63);
  sim.PciWasRead();
  EXPECT_EQ(sim.Read(Unlocked(revE, true, true)), (Limits{10, 0, 42, 6, 30, 0}));
  EXPECT_FALSE(sim.PciWasRead());
  EXPECT_EQ(sim.Read(Unlocked(npt, false, true)), (Limits{10, 2, 14, 6, 63, 0}));
  EXPECT_EQ(sim.Read(Unlocked(testing::K8(), false, true)).minVid, 30);
}

TEST(PStateLimits, AmdWithoutFidVidControlReadsTheStartFidOnly) {
  LimitsOnSim sim({{0xC0010015, Halves(0, 12u << 24 | 1u << 19 | 0xA << 24)}});
  CpuInfo k8 = Record("AuthenticAMD", 0xF4A);
  k8.startVid = k8.minVid = k8.maxVid = 7;
  EXPECT_EQ(sim.Read(k8), (Limits{14, 14, 14, 7, 7, 7}));
  // K7: FID bits 27..24 with bit 19 as FID bit 4.
  EXPECT_EQ(sim.Read(Record("AuthenticAMD", 0x6A0)).startFid, 0x1E);
}

TEST(PStateLimits, AmdK7) {
  LimitsOnSim sim({{0xC0010042, Halves(3 << 16 | 9 << 8, 13 << 16 | 12 << 8)}});
  EXPECT_EQ(sim.Read(testing::K7()), (Limits{12, 16, 13, 9, 30, 3}));
  EXPECT_EQ(sim.Read(Unlocked(testing::K7(), true, true)), (Limits{12, 16, 31, 9, 30, 0}));
}

TEST(PStateLimits, FailedReadsGiveMaskedFieldValues) {
  LimitsOnSim sim({});
  EXPECT_EQ(sim.Read(testing::K8()), (Limits{63, 0, 63, 63, 30, 63}));
  EXPECT_EQ(sim.Read(Record("CentaurHauls", 0x6A9)), (Limits{255, 255, 255, 255, 255, 255}));
}

TEST(PStateLimits, Pentium4Model2) {
  const CpuInfo p4 = Record("GenuineIntel", 0xF27);
  // Bit 20: the range is in the register itself.
  EXPECT_EQ(LimitsOnSim({{0x2C, 1u << 20 | 6 << 8 | 16}}).Read(p4), (Limits{16, 10, 16, 0, 0, 0}));
  LimitsOnSim limitsRegister({{0x2C, 4 << 8 | 14}, {0x2D, 8 << 8 | 18}});
  EXPECT_EQ(limitsRegister.Read(p4), (Limits{14, 10, 18, 0, 0, 0}));
  LimitsOnSim lowestInLimits({{0x2C, 1u << 21 | 4 << 8 | 14}, {0x2D, 8 << 8 | 18}});
  EXPECT_EQ(lowestInLimits.Read(p4).minFid, 8);
  EXPECT_EQ(LimitsOnSim({{0x2C, 1u << 20 | 20 << 8 | 16}}).Read(p4).minFid, -4);
}

TEST(PStateLimits, Pentium4Prescott) {
  const CpuInfo p4 = Record("GenuineIntel", 0xF41);
  const std::map<uint32_t, uint64_t> base = {
      {0x198, Halves(17 << 8 | 40, 0)}, {0x2C, 3 << 8 | 14}, {0x19D, 12}};
  auto with = [&](uint64_t startState) {
    auto registers = base;
    registers[0x1A1] = startState;
    return LimitsOnSim(registers).Read(p4);
  };
  EXPECT_EQ(with(1u << 16 | 15 << 8 | 33), (Limits{15, 11, 17, 33, 12, 40}));
  EXPECT_EQ(with(1u << 18 | 1u << 16 | 15 << 8 | 33), (Limits{17, 11, 17, 40, 12, 40}));
  EXPECT_EQ(with(7u << 16 | 15 << 8 | 33).startFid, 15);
  EXPECT_EQ(with(15 << 8 | 33).startFid, 17);
  auto registers = base;
  registers[0x2C] |= 1u << 20;  // no start-state register consulted
  EXPECT_EQ(LimitsOnSim(registers).Read(Unlocked(p4, false, true)),
            (Limits{17, 11, 17, 40, 0, 63}));
}

TEST(PStateLimits, SpeedStep) {
  // Lowest ratio 6; highest 12 with VID 40; start 10 at VID 30.
  const uint64_t status = Halves(10u << 24 | 30 << 16 | 12 << 8 | 40, 1u << 31 | 6u << 24);
  EXPECT_EQ(LimitsOnSim({{0x198, status}}).Read(Record("GenuineIntel", 0x6D6)),
            (Limits{10, 6, 12, 30, 30, 40}));

  // Core 2 with bit 31 clear: the highest state comes from register 0x17.
  const uint64_t core2Status = status & ~(uint64_t{1} << 31);
  const std::map<uint32_t, uint64_t> core2 = {
      {0x198, core2Status}, {0x17, 0x0B00 | 44}, {0xCE, 20}, {0x19D, 25}};
  const CpuInfo merom = Record("GenuineIntel", 0x6F6);
  EXPECT_EQ(LimitsOnSim(core2).Read(merom), (Limits{10, 6, 11, 30, 25, 40}));
  const CpuInfo penryn = Record("GenuineIntel", 0x6FD, {0, 0, 0x2});  // DFFS and IDA
  EXPECT_EQ(LimitsOnSim(core2).Read(penryn), (Limits{10, 6, 11, 30, 20, 44}));
  EXPECT_EQ(LimitsOnSim(core2).Read(Unlocked(penryn, false, true)), (Limits{10, 6, 11, 30, 0, 63}));
}

TEST(PStateLimits, ViaC7AndTransmeta) {
  const uint64_t status = Halves(10u << 24 | 20 << 16 | 12 << 8 | 31, 4u << 24);
  EXPECT_EQ(LimitsOnSim({{0x198, status}}).Read(Record("CentaurHauls", 0x6A9)),
            (Limits{10, 4, 12, 20, 20, 31}));

  LimitsOnSim sim({});
  CpuInfo crusoe = Record("GenuineTMx86", 0x543);
  crusoe.maxFid = 5;
  EXPECT_EQ(sim.Read(crusoe).maxFid, 5);  // nothing to ask: left as it was
  const auto longRun = [](const CpuInfo&) { return LongRunRange{933, 1350, 300, 900}; };
  EXPECT_EQ(sim.Read(crusoe, longRun), (Limits{933, 300, 933, 1350, 900, 1350}));
}

}  // namespace
}  // namespace pacetta
