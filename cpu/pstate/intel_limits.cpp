// Performance-state limits of Intel Pentium 4, Pentium M, Core and Core 2, and VIA C7.
#include "cpu/pstate/limits_by_family.h"
#include "cpu/pstate/pstate_registers.h"

namespace pacetta::pstate {

namespace {

MsrRequest Read(CPortexDriver& driver, uint32_t index) {
  MsrRequest request;
  driver.ReadMsrValue(request, index);
  return request;
}

// MSR_EBC_FREQUENCY_ID: the current bus ratio in bits 7..0 and the span down to the
// lowest in bits 15..8. The difference may go below zero on a bad read; a negative FID
// converts to "none".
int32_t LowestRatio(uint32_t ebcLow) {
  return Field(ebcLow, 7, 0) - Field(ebcLow, 15, 8);
}

constexpr int32_t kUnlockedHighestVid = 63;

}  // namespace

void ReadPentium4Model2Limits(CpuInfo& cpu, CPortexDriver& driver) {
  const uint32_t ebc = Read(driver, msr::kEbcFrequencyId).low;
  cpu.startFid = Field(ebc, 7, 0);
  if (Bit(ebc, 20)) {
    cpu.maxFid = Field(ebc, 7, 0);
    cpu.minFid = LowestRatio(ebc);
    return;
  }
  const uint32_t limits = Read(driver, msr::kEbcFrequencyLimits).low;
  cpu.maxFid = Field(limits, 7, 0);
  cpu.minFid = Bit(ebc, 21) ? Field(limits, 15, 8) : LowestRatio(ebc);
}

void ReadPentium4PrescottLimits(CpuInfo& cpu, CPortexDriver& driver) {
  const bool unlockVid = cpu.switches.unlockVid != 0;
  const uint32_t status = Read(driver, msr::kPerfStatus).high;
  cpu.maxFid = Field(status, 15, 8);
  cpu.maxVid = unlockVid ? kUnlockedHighestVid : Field(status, 7, 0);

  const uint32_t ebc = Read(driver, msr::kEbcFrequencyId).low;
  bool startFromRegister = false;
  if (!Bit(ebc, 20)) {
    const uint32_t start = Read(driver, msr::kPentium4StartState).low;
    // Bit 16 marks a valid start state, except in the mode where bit 18 is set and
    // bit 17 clear.
    startFromRegister = Bit(start, 16) && !(Bit(start, 18) && !Bit(start, 17));
    if (startFromRegister) {
      cpu.startVid = Field(start, 7, 0);
      cpu.startFid = Field(start, 15, 8);
    }
  }
  if (!startFromRegister) {
    cpu.startVid = Field(status, 7, 0);
    cpu.startFid = cpu.maxFid;
  }
  cpu.minFid = LowestRatio(ebc);
  cpu.minVid = unlockVid ? 0 : Field(Read(driver, msr::kThermalControl2).low, 7, 0);
}

// IA32_PERF_STATUS: EAX bits 28..24 lowest ratio, bit 31 = the highest ratio is in
// EDX (else, on Core 2, in IA32_PLATFORM_ID); EDX bits 12..8 highest ratio, 5..0 its
// VID, 28..24 start ratio, 21..16 start VID.
void ReadSpeedStepLimits(CpuInfo& cpu, CPortexDriver& driver) {
  const bool unlockVid = cpu.switches.unlockVid != 0;
  const MsrRequest status = Read(driver, msr::kPerfStatus);
  const bool fromPlatformId = cpu.isCore2 && !Bit(status.low, 31);
  const uint32_t platformId = fromPlatformId ? Read(driver, msr::kPlatformId).low : 0;

  cpu.maxFid = fromPlatformId ? Field(platformId, 11, 8) : Field(status.high, 12, 8);
  if (unlockVid) {
    cpu.maxVid = kUnlockedHighestVid;
  } else if (fromPlatformId && cpu.hasIda) {
    cpu.maxVid = Field(platformId, 5, 0);
  } else {
    cpu.maxVid = Field(status.high, 5, 0);
  }
  cpu.startFid = Field(status.high, 28, 24);
  cpu.startVid = Field(status.high, 21, 16);
  cpu.minFid = Field(status.low, 28, 24);
  if (unlockVid) {
    cpu.minVid = 0;
  } else if (cpu.isCore2) {
    const uint32_t index = cpu.hasDffs ? msr::kPlatformInfo : msr::kThermalControl2;
    cpu.minVid = Field(Read(driver, index).low, 5, 0);
  } else {
    cpu.minVid = cpu.startVid;
  }
}

// VIA C7 IA32_PERF_STATUS: EDX bits 15..8 highest ratio, 7..0 its VID, 31..24 start
// ratio, 23..16 start VID; EAX bits 31..24 lowest ratio.
void ReadViaC7Limits(CpuInfo& cpu, CPortexDriver& driver) {
  const bool unlockVid = cpu.switches.unlockVid != 0;
  const MsrRequest status = Read(driver, msr::kPerfStatus);
  cpu.maxFid = Field(status.high, 15, 8);
  cpu.maxVid = unlockVid ? kUnlockedHighestVid : Field(status.high, 7, 0);
  cpu.startFid = Field(status.high, 31, 24);
  cpu.startVid = Field(status.high, 23, 16);
  cpu.minFid = Field(status.low, 31, 24);
  cpu.minVid = unlockVid ? 0 : cpu.startVid;
}

}  // namespace pacetta::pstate
