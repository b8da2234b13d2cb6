// The running program as the desktop's tray sees it.
#include "app/lifecycle/profile_command.h"
#include "app/lifecycle/running_program.h"
#include "app/strings/string_ids.h"
#include "app/window_messages.h"

namespace pacetta {

TrayValues RunningProgram::TrayNow() const {
  TrayValues values;
  if (!sampler_ || !manager_) return values;
  const bool onBattery = manager_->PowerSource() == 1;
  values.processor0 = sampler_->Sample(0);
  values.means = sampler_->Means();
  values.sampleSerial = sampler_->SamplesShown();
  values.source = Source();
  values.profile = manager_->CurrentIndex();
  const Profile* profile = settings_.profiles.At(values.profile);
  const MainIcon icon =
      MainIconFor(values.profile, profile ? &profile->Half(onBattery) : nullptr,
                  settings_.profiles.Table(), application_.Processors().front(),
                  values.processor0.multiplier, settings_.tray.showPerfLevel != 0);
  values.mainImage = icon.image;
  values.level = icon.level;
  values.tooltips =
      FormatTrayTooltips(values.processor0, values.means, settings_.tray.tempUnits, values.source,
                         ProfileName(values.profile), application_.Strings());
  return values;
}

void RunningProgram::TrayRestored() {
  if (!shutDown_ && !frontEnd_.WindowVisible()) InfoBalloon(kStrBalloonRestored);
}

bool RunningProgram::TemperatureReadable() const {
  return machine_.hasTemperatureSensor;
}

void RunningProgram::SetTraySettings(const TraySettings& tray) {
  if (shutDown_) return;
  settings_.tray = tray;
  if (sampler_) sampler_->ApplySettings(SamplerSettingsNow());
}

bool RunningProgram::SelectProfileForSource(int32_t index) {
  if (shutDown_ || !manager_ || index < 0) return false;
  const std::optional<ProfileSelection> selection =
      SetProfileCommand(manager_->Selection(), static_cast<uint32_t>(index), kProfileSlotCurrent,
                        settings_.profiles.Count(), OnBattery());
  if (!selection) return false;
  manager_->Select(*selection);
  settings_.currentProfileAc = selection->ac;
  settings_.currentProfileDc = selection->dc;
  UpdateViews(false);
  return true;
}

}  // namespace pacetta
