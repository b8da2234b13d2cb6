#include "cpu/pstate/pstate_limits.h"

#include "cpu/identify/leaves.h"
#include "cpu/pstate/limits_by_family.h"
#include "hw/pinning.h"

namespace pacetta {

namespace {

void ReadTransmetaLimits(CpuInfo& cpu, const LongRunRangeSource& source) {
  if (!source) return;
  const std::optional<LongRunRange> range = source(cpu);
  if (!range) return;
  cpu.maxFid = cpu.startFid = range->maxFid;
  cpu.maxVid = cpu.startVid = range->maxVid;
  cpu.minFid = range->minFid;
  cpu.minVid = range->minVid;
}

}  // namespace

void ReadPStateLimits(CpuInfo& cpu, PStateHardware& hardware) {
  PinToProcessor(hardware.processors, cpu.index);
  CPortexDriver& driver = hardware.driver;
  if (cpu.isK8) {
    pstate::ReadK8Limits(cpu, driver);
  } else if (cpu.isK7) {
    pstate::ReadK7Limits(cpu, driver);
  } else if (cpu.isPentium4Prescott) {
    pstate::ReadPentium4PrescottLimits(cpu, driver);
  } else if (cpu.isPentium4 && GetSignature(cpu).Model() == 2) {
    pstate::ReadPentium4Model2Limits(cpu, driver);
  } else if (cpu.isIntelSpeedStep) {
    pstate::ReadSpeedStepLimits(cpu, driver);
  } else if (cpu.isViaC7) {
    pstate::ReadViaC7Limits(cpu, driver);
  } else if (cpu.isTransmeta) {
    ReadTransmetaLimits(cpu, hardware.longRunRange);
  }
}

}  // namespace pacetta
