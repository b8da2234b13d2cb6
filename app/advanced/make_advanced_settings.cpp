#include "app/advanced/advanced_settings.h"

namespace pacetta {

std::unique_ptr<AdvancedSettings> MakeAdvancedSettings(const AdvancedHardware& hardware,
                                                       AppSettings& settings) {
  if (hardware.cpus.empty()) return nullptr;
  // Each family's settings, in the order the advanced page is chosen by.
  static_cast<void>(settings);
  return nullptr;
}

}  // namespace pacetta
