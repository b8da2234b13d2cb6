#include "app/advanced/advanced_settings.h"
#include "app/advanced/k7_advanced_settings.h"
#include "app/advanced/k8_advanced_settings.h"

namespace pacetta {

std::unique_ptr<AdvancedSettings> MakeAdvancedSettings(const AdvancedHardware& hardware,
                                                       AppSettings& settings) {
  if (hardware.cpus.empty()) return nullptr;
  // Each family's settings, in the order the advanced page is chosen by.
  if (hardware.cpus.front().isK8 && hardware.northbridge != nullptr)
    return std::make_unique<K8AdvancedSettings>(*hardware.northbridge, hardware.cpus, settings);
  if (hardware.cpus.front().isK7) return std::make_unique<K7AdvancedSettings>(hardware, settings);
  return nullptr;
}

}  // namespace pacetta
