#pragma once
#include <cstdint>
#include <string>

#include "platform/sim/machine.h"

namespace pacetta::sim {

// The processor families whose performance-state registers the simulated PC models.
enum class ModelFamily {
  kNone,            // no model: its model-specific registers are absent
  kAmdK7,           // family 6 AMD (Athlon, Duron, Athlon XP and their mobile parts)
  kAmdK8,           // family 0Fh AMD (Athlon 64, Opteron, Turion, Sempron)
  kPentiumM,        // Intel family 6 models 9 and 13
  kCoreDuo,         // Intel family 6 model 14 (Core Solo and Duo)
  kCore2,           // Intel family 6 models 15, 22 and 23
  kPentium4Model2,  // Intel family 0Fh model 2 (Northwood): no performance-state registers
  kPentium4,        // Intel family 0Fh model 3 and later (Prescott and after)
  kViaC7,           // VIA family 6 model 10 (C7, Esther core)
  kAmdZen,          // AMD family 17h and later: P-state MSRs under the kernel's frequency driver
  kIntelHwp,        // Intel family 6 with hardware P-states (leaf 6 EAX bit 7)
  kTransmeta,       // Transmeta family 5 (Crusoe) and 0Fh (Efficeon): LongRun
};

const char* FamilyName(ModelFamily family);

// What the processor's identification leaves say about its power-management hardware.
struct ProcessorTraits {
  ModelFamily family = ModelFamily::kNone;
  uint32_t signature = 0;  // leaf 1 EAX
  uint32_t extendedModel = 0;
  std::string brand;

  // AMD: leaf 8000_0007h EDX bit 1 (FID control) and bit 2 (VID control).
  bool fidVidControl = false;
  // AMD K8: leaf 8000_0007h EDX bit 6, FIDs in 100 MHz steps (odd FID codes exist).
  bool fineFidSteps = false;
  // AMD K8 revision F and later (NPT, socket AM2/S1): 6-bit VIDs, new status fields.
  bool k8Npt = false;
  // AMD K8 revision E: MinVID in the status register.
  bool k8RevE = false;
  // AMD K8 before revision F whose brand id names a mobile product: its VID codes count
  // down from 1.450 V instead of 1.550 V.
  bool k8MobileVids = false;
  // A mobile part (brand string or brand id says so).
  bool mobile = false;
  // An on-die temperature sensor: AMD leaf 8000_0007h EDX bit 0 (the K8 northbridge's
  // thermtrip register reports it), Intel leaf 6 EAX bit 0 (the digital readout of
  // IA32_THERM_STATUS).
  bool thermalSensor = false;

  // Intel and VIA, leaf 1: ECX bit 7 (Enhanced SpeedStep / PowerSaver), ECX bit 8
  // (Thermal Monitor 2), EDX bit 22 (on-demand clock modulation).
  bool eist = false;
  bool tm2 = false;
  bool clockModulation = false;
  // Core 2: leaf 6 EAX bit 1 (Intel Dynamic Acceleration) and Dynamic FSB frequency
  // switching (the Santa Rosa mobile parts).
  bool ida = false;
  bool dffs = false;
  // Hybrid Intel parts: leaf 1Ah EAX bits 31..24 = 20h, an efficiency (Atom) core.
  bool efficiencyCore = false;
};

ProcessorTraits ClassifyProcessor(const CpuidLeaves& leaves);

}  // namespace pacetta::sim
