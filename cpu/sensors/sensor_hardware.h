#pragma once
#include "hw/k8_northbridge.h"
#include "hw/optional_entry_points.h"
#include "hw/portex_driver.h"
#include "platform/cpu_instructions.h"
#include "platform/kernel_cpu.h"

namespace pacetta {

// What the readings reach the hardware through. Every reading acts on the processor the
// calling thread runs on: the caller pins it to the record's processor first.
struct SensorHardware {
  CPortexDriver& driver;
  platform::CpuInstructions& cpu;
  // The operating system's high-resolution counter, the clock reference without "Use8254".
  const OptionalEntryPoints& entryPoints;
  // The shared K8 northbridge accessor; null where none is used (K8 temperatures are
  // then not available).
  CK8Northbridge* northbridge = nullptr;
  // What the kernel reports of today's processors (frequency policies, temperatures);
  // null where the program does not ask it.
  platform::KernelCpu* kernel = nullptr;
};

}  // namespace pacetta
