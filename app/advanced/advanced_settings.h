#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "app/settings/app_settings.h"
#include "cpu/cpu_info.h"
#include "hw/k8_northbridge.h"
#include "hw/portex_driver.h"
#include "platform/power.h"
#include "platform/processors.h"

namespace pacetta {

// What the advanced settings reach the hardware through.
struct AdvancedHardware {
  CPortexDriver& driver;
  // Pins the window thread to each processor in turn for the per-processor registers.
  platform::Processors& processors;
  // Mutable: the K7 keeps its VID table choice in the records until the settings are saved.
  std::span<CpuInfo> cpus;
  // The shared K8 northbridge accessor; null on other families.
  CK8Northbridge* northbridge = nullptr;
  // The power source, for families with separate AC and battery values; null: on AC.
  platform::Power* power = nullptr;
};

// The hardware behind the "Advanced CPU settings" page of one processor family, owned by
// the running program for the whole run and used on the window's thread only. It holds
// the values the user applied (or, with "RememberAdvanced", the stored ones taken at
// start): those are the only values ever written, so an edit the user did not apply never
// reaches the hardware, whichever way the registers are written again.
class AdvancedSettings {
 public:
  virtual ~AdvancedSettings() = default;
  // At start when "RememberAdvanced" is 1: the stored values become the applied ones and
  // are written at once.
  virtual void ApplyStored() = 0;
  // After every change of power source and after a resume: the applied values, when there
  // are any, are written again (the firmware may have put its own back).
  virtual void Reapply() = 0;
  // At start, before the processors' abilities are worked out from them, and after every
  // resume: the values that take effect only at a start (Enhanced SpeedStep) are written
  // to every processor, whatever "RememberAdvanced" says.
  virtual void WriteStartValues() {}
};

// The family's advanced settings for processor 0 of `hardware`, on the settings the
// running program keeps (the family's Apply stores into them), or null where the
// processor has no advanced page of a family built so far.
std::unique_ptr<AdvancedSettings> MakeAdvancedSettings(const AdvancedHardware& hardware,
                                                       AppSettings& settings);

}  // namespace pacetta
