#pragma once

#include "cpu/cpu_info.h"
#include "hw/portex_driver.h"

// The per-family halves of ReadPStateLimits; each runs on the record's processor.
namespace pacetta::pstate {

void ReadK8Limits(CpuInfo& cpu, CPortexDriver& driver);
void ReadK7Limits(CpuInfo& cpu, CPortexDriver& driver);
void ReadPentium4Model2Limits(CpuInfo& cpu, CPortexDriver& driver);
void ReadPentium4PrescottLimits(CpuInfo& cpu, CPortexDriver& driver);
void ReadSpeedStepLimits(CpuInfo& cpu, CPortexDriver& driver);
void ReadViaC7Limits(CpuInfo& cpu, CPortexDriver& driver);

}  // namespace pacetta::pstate
