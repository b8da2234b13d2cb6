#include "app/advanced/advanced_settings.h"
#include "app/advanced/ich_chipset.h"
#include "app/advanced/intel_advanced_settings.h"
#include "app/advanced/k7_advanced_settings.h"
#include "app/advanced/k8_advanced_settings.h"
#include "app/advanced/transmeta_advanced_settings.h"

namespace pacetta {

std::unique_ptr<AdvancedSettings> MakeAdvancedSettings(const AdvancedHardware& hardware,
                                                       AppSettings& settings) {
  if (hardware.cpus.empty()) return nullptr;
  // Each family's settings, in the order the advanced page is chosen by.
  if (hardware.cpus.front().isK8 && hardware.northbridge != nullptr)
    return std::make_unique<K8AdvancedSettings>(*hardware.northbridge, hardware.cpus, settings);
  if (hardware.cpus.front().isK7) return std::make_unique<K7AdvancedSettings>(hardware, settings);
  if (hardware.cpus.front().isTransmeta)
    return std::make_unique<TransmetaAdvancedSettings>(hardware, settings);
  const CpuInfo& cpu = hardware.cpus.front();
  if (cpu.isPentium4) return std::make_unique<IntelAdvancedSettings>(hardware, settings, nullptr);
  // The Pentium M and Core families' container also has the hub's chipset and
  // throttling tabs; the hub is identified once, here.
  if (cpu.isIntelSpeedStep) {
    return std::make_unique<IntelAdvancedSettings>(hardware, settings,
                                                   OpenCentrinoChipset(hardware.driver));
  }
  if (cpu.isViaC7) return std::make_unique<IntelAdvancedSettings>(hardware, settings, nullptr);
  return nullptr;
}

}  // namespace pacetta
