// Performance-state limits of AMD K7 and K8, from FIDVID_STATUS (or HWCR on parts without
// FID/VID control).
#include "cpu/identify/feature_predicates.h"
#include "cpu/pstate/k8_fid_table.h"
#include "cpu/pstate/limits_by_family.h"
#include "cpu/pstate/pstate_registers.h"
#include "hw/k8_northbridge_devfn.h"
#include "hw/pci_bus_manager.h"

namespace pacetta::pstate {

namespace {

MsrRequest Read(CPortexDriver& driver, uint32_t index) {
  MsrRequest request;
  driver.ReadMsrValue(request, index);
  return request;
}

// Northbridge function 0, F0x88: link 0 frequency in bits 11..8 (BKDG for AMD Family
// 0Fh, "Link Frequency/Revision Register"). FID 0 (4x) is usable only while the link
// runs at 800 MHz or below (codes 0..5) or reports code 15.
constexpr uint32_t kLinkFrequencyRegister = 0x88;
constexpr uint32_t kNorthbridgeHtFunction = 0;

int32_t K8LowestFid(const CpuInfo& cpu, CPortexDriver& driver) {
  const auto devfn = NorthbridgeDevfn(cpu.packageId, kNorthbridgeHtFunction);
  // A node without a northbridge reads as 0, as a failed configuration read does.
  uint32_t link = 0;
  if (devfn) {
    CPCIBusManager pci(driver);
    link = pci.ReadConfigDword({0, *devfn}, kLinkFrequencyRegister);
  }
  const int32_t frequency = Field(link, 11, 8);
  return frequency < 6 || frequency == 15 ? 0 : 2;
}

// The VID of the lowest voltage: the part's own minimum where it reports one (revision
// E and later), unless it reads below the highest-voltage VID, which no valid part does.
int32_t K8LowestVoltageVid(const CpuInfo& cpu, uint32_t statusHigh) {
  const bool unlockVid = cpu.switches.unlockVid != 0;
  const int32_t reported = Field(statusHigh, 29, 24);
  if (cpu.isK8RevE) return unlockVid || reported < cpu.maxVid ? 30 : reported;
  if (cpu.isK8Npt) return unlockVid || reported < cpu.maxVid ? 63 : reported;
  return 30;
}

}  // namespace

// FIDVID_STATUS: EAX CurrFID 5..0, StartFID 13..8, MaxFID 21..16; EDX CurrVID 5..0,
// StartVID 13..8, MaxVID 21..16, MinVID 29..24.
void ReadK8Limits(CpuInfo& cpu, CPortexDriver& driver) {
  if (!SupportsFidVidControl(cpu)) {
    const int32_t fid = Field(Read(driver, msr::kHardwareConfig).low, 29, 24);
    cpu.startFid = cpu.minFid = cpu.maxFid = fid;
    return;
  }
  const MsrRequest status = Read(driver, msr::kFidVidStatus);
  cpu.startFid = Field(status.low, 13, 8);
  if (cpu.switches.unlockFid != 0) {
    cpu.minFid = 0;
    cpu.maxFid = k8::kHighestFid;
  } else {
    cpu.maxFid = Field(status.low, 21, 16);
    cpu.minFid = K8LowestFid(cpu, driver);
  }
  cpu.startVid = Field(status.high, 13, 8);
  cpu.maxVid = cpu.switches.unlockVid != 0 ? 0 : Field(status.high, 21, 16);
  cpu.minVid = K8LowestVoltageVid(cpu, status.high);
}

// K7 FIDVID_STATUS: EAX CurrFID 4..0, StartFID 12..8, MaxFID 20..16; EDX CurrVID 4..0,
// StartVID 12..8, MaxVID 20..16. Parts without FID/VID control report their FID in
// HWCR bits 27..24, with bit 19 as FID bit 4.
void ReadK7Limits(CpuInfo& cpu, CPortexDriver& driver) {
  if (!SupportsFidVidControl(cpu)) {
    const uint32_t hwcr = Read(driver, msr::kHardwareConfig).low;
    const int32_t fid = Field(hwcr, 27, 24) | (Bit(hwcr, 19) ? 0x10 : 0);
    cpu.startFid = cpu.minFid = cpu.maxFid = fid;
    return;
  }
  constexpr int32_t kLowestMultiplierFid = 16;  // 3.0x
  constexpr int32_t kLowestVoltageVid = 30;
  const MsrRequest status = Read(driver, msr::kFidVidStatus);
  cpu.startFid = Field(status.low, 12, 8);
  cpu.maxFid = cpu.switches.unlockFid != 0 ? 31 : Field(status.low, 20, 16);
  cpu.minFid = kLowestMultiplierFid;
  cpu.startVid = Field(status.high, 12, 8);
  cpu.maxVid = cpu.switches.unlockVid != 0 ? 0 : Field(status.high, 20, 16);
  cpu.minVid = kLowestVoltageVid;
}

}  // namespace pacetta::pstate
