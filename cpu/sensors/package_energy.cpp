#include "cpu/sensors/package_energy.h"

#include <cmath>

#include "cpu/identify/leaves.h"
#include "cpu/identify/vendor.h"
#include "hw/msr_request.h"

namespace pacetta {
namespace {

constexpr uint32_t kIntelPowerUnit = 0x606, kIntelPackageEnergy = 0x611;
constexpr uint32_t kAmdPowerUnit = 0xC0010299, kAmdPackageEnergy = 0xC001029B;
constexpr uint32_t kFirstAmdFamilyWithRapl = 0x17;
constexpr unsigned kEnergyUnitShift = 8;
constexpr uint64_t kEnergyUnitMask = 0x1F;
constexpr double kCounterSpan = 4294967296.0;  // 2^32

}  // namespace

PackageEnergy ReadPackageEnergy(const CpuInfo& cpu, SensorHardware& hardware,
                                const PackageEnergy& previous) {
  PackageEnergy energy;
  uint32_t unitRegister = 0, energyRegister = 0;
  const VendorCode vendor = GetVendorCode(cpu);
  if (vendor == VendorCode::kIntel && cpu.hasAperfMperf != 0) {
    unitRegister = kIntelPowerUnit;
    energyRegister = kIntelPackageEnergy;
  } else if (vendor == VendorCode::kAmd && GetSignature(cpu).Family() >= kFirstAmdFamilyWithRapl) {
    unitRegister = kAmdPowerUnit;
    energyRegister = kAmdPackageEnergy;
  } else {
    return energy;
  }
  double joulesPerUnit = previous.valid ? previous.joulesPerUnit : 0.0;
  if (!previous.valid) {
    MsrRequest unit;
    if (!hardware.driver.ReadMsrValue(unit, unitRegister) || unit.IsAllOnes()) return energy;
    const auto unitBits = static_cast<int>((unit.Value() >> kEnergyUnitShift) & kEnergyUnitMask);
    joulesPerUnit = std::ldexp(1.0, -unitBits);
  }
  MsrRequest count;
  if (!hardware.driver.ReadMsrValue(count, energyRegister) || count.IsAllOnes()) return energy;
  energy.tsc = hardware.cpu.ReadTimeStampCounter();
  energy.counter = static_cast<uint32_t>(count.Value());
  energy.joulesPerUnit = joulesPerUnit;
  energy.valid = true;
  return energy;
}

double PackageWatts(const PackageEnergy& earlier, const PackageEnergy& later, double tscMhz) {
  if (!earlier.valid || !later.valid || !(tscMhz > 0.0) || later.tsc <= earlier.tsc) return -1.0;
  double units = static_cast<double>(later.counter) - static_cast<double>(earlier.counter);
  if (units < 0.0) units += kCounterSpan;
  const double seconds = static_cast<double>(later.tsc - earlier.tsc) / (tscMhz * 1e6);
  return units * later.joulesPerUnit / seconds;
}

}  // namespace pacetta
