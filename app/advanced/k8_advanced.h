#pragma once
#include <cstdint>
#include <vector>

#include "app/advanced/advanced_settings.h"
#include "cpu/advanced/k8/k8_cpu_setup.h"

namespace pacetta {

// What the K8 page's enabling rules and lists depend on, from processor 0.
struct K8PageFacts {
  // Extended model 2..7 or 12: the alternate-VID controls, fields and mode bit exist.
  bool altVidProcessor = false;
  // Extended model 4, 5 or 12 (the ACPI presets differ for them).
  uint32_t extendedModel = 0;
  // FID/VID control: the "P-states transitions" tab is enabled.
  bool fidVidControl = false;
  // 100 MHz multiplier steps: the two whole-FID scheme buttons are disabled.
  bool hundredMhzSteps = false;
  // Processor 0 has a partner core: the "Misc. control" tab is enabled.
  bool partnerCore = false;
  // The "Alternate VID:" list: the voltage of every VID of the processor's range, from
  // its first VID to its last, volts.
  std::vector<double> altVidVoltages;
};

// The K8's advanced settings: the northbridge's ACPI power-state and clock power/timing
// registers of every node, and the restart-required transition and synchroniser values.
class K8Advanced : public AdvancedSettings {
 public:
  virtual K8PageFacts Facts() const = 0;
  // Node 0's registers as they are now (page creation, "Refresh").
  virtual k8::CpuSetup ReadHardware() = 0;
  // The restart-required values as stored now, the scheme button from processor 0's
  // transition scheme.
  virtual k8::RestartValues StoredRestartValues() const = 0;
  virtual bool RememberAdvanced() const = 0;
  // The container's "Apply": `setup` is written to every node and becomes the applied
  // values; everything, with "RememberAdvanced", goes into the settings saved at the end.
  // True when a restart-required value changed (the page then asks about a restart).
  virtual bool Apply(const k8::CpuSetup& setup, const k8::RestartValues& restart,
                     bool rememberAdvanced) = 0;
};

}  // namespace pacetta
