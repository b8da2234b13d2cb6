#pragma once
#include "app/settings/app_settings.h"
#include "engine/log/monitoring_log.h"
#include "engine/management/management_types.h"
#include "engine/monitor/sampler_settings.h"

namespace pacetta {

// The engine's view of the loaded settings: each part of the engine takes only the
// values it works with, already clamped and derived by the load.
SamplerSettings SamplerSettingsOf(const AppSettings& settings);
management::ManagementSettings ManagementSettingsOf(const AppSettings& settings,
                                                    const Calibration& calibration);
LogOptions LogOptionsOf(const AppSettings& settings);

}  // namespace pacetta
