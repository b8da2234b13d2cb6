#pragma once
#include <cstdint>

#include "cpu/cpu_info.h"
#include "platform/cpu_instructions.h"

namespace pacetta {

// Power-management features, decided from the family flags and the stored leaves.

// AMD frequency and voltage control (leaf 0x80000007 EDX bits 1 and 2).
bool SupportsFidVidControl(const CpuInfo& info);
// Enhanced SpeedStep, or PowerSaver on VIA C7 (leaf 1 ECX bit 7).
bool SupportsSpeedStep(const CpuInfo& info);
// Thermal monitor 1 (leaf 1 EDX bit 29) and 2 (leaf 1 ECX bit 8).
bool SupportsTm1(const CpuInfo& info);
bool SupportsTm2(const CpuInfo& info);
// On-demand clock modulation (leaf 1 EDX bit 22).
bool SupportsOdcm(const CpuInfo& info);
// Enhanced halt state: Pentium 4 from signature 0xF40 on, and every Core processor.
bool SupportsEnhancedHalt(const CpuInfo& info);
bool HasDts(const CpuInfo& info);
bool HasIdaFeature(const CpuInfo& info);
bool HasDffsFeature(const CpuInfo& info);
// LongRun with its table interface. Executes leaf 0x80860001 now, on the processor the
// calling thread runs on; other vendors never execute it.
bool SupportsLongRun(const CpuInfo& info, platform::CpuInstructions& cpu);
// Logical processors per package (leaf 1 EBX bits 23..16) into `count` when given; true
// when the processor reports more than one (leaf 1 EDX bit 28 and a count above 1).
bool GetLogicalCount(const CpuInfo& info, uint32_t* count = nullptr);

}  // namespace pacetta
