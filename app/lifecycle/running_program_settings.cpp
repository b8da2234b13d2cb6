// The running program as the Settings page sees it: the languages it offers, its "Apply",
// and start at logon, whose entries follow the settings whenever they are saved.
#include <algorithm>

#include "app/lifecycle/running_program.h"
#include "app/strings/installed_languages.h"
#include "app/strings/string_ids.h"

namespace pacetta {
namespace {

// "MaxLoggingPeriod" as the store clamps it: a minute up to 999 days, 23 hours, 59 minutes.
constexpr int32_t kShortestLogPeriodS = 60;
constexpr int32_t kLongestLogPeriodS = 86399940;
constexpr int32_t kLoggingFlagsMask = 0xFF;  // one bit per logged item
constexpr uint32_t kColorMask = 0x00FFFFFF;  // 0x00BBGGRR

int32_t Flag(int32_t value) {
  return value != 0 ? 1 : 0;
}

ColorSettings Masked(ColorSettings colors) {
  for (uint32_t* color :
       {&colors.graphBackground, &colors.graphGrid, &colors.frequencyGraph, &colors.throttleGraph,
        &colors.cpuLoadGraph, &colors.osLoadGraph, &colors.fidGraph, &colors.vidGraph,
        &colors.temperatureGraph, &colors.frequencyIconText, &colors.temperatureIconText,
        &colors.batteryIconText}) {
    *color &= kColorMask;
  }
  return colors;
}

platform::AutostartWay WayOf(int32_t autoRun) {
  return static_cast<platform::AutostartWay>(std::clamp(autoRun, 0, 2));
}

}  // namespace

LanguageOffer RunningProgram::Languages() const {
  platform::System& system = platform_.system;
  // Where the start-up looks for them.
  const std::string folder = system.ModuleFolder();
  LanguageOffer offer;
  offer.userDefault = ResolveLanguageId(kLanguageUserDefault, system);
  offer.userDefaultAvailable = LanguageAvailable(system, folder, offer.userDefault);
  offer.systemDefault = ResolveLanguageId(kLanguageSystemDefault, system);
  offer.systemDefaultAvailable = LanguageAvailable(system, folder, offer.systemDefault);
  offer.installed = InstalledLanguages(system, folder);
  return offer;
}

void RunningProgram::ApplyInterface(const InterfaceSettings& edited) {
  if (shutDown_ || !sampler_ || !manager_) return;
  WindowSettings& window = settings_.window;
  TraySettings& tray = settings_.tray;

  // The language is read at the next start only.
  window.resourceLocaleId = std::max(edited.resourceLocaleId, 0);
  tray.showInfoBalloons = Flag(edited.showInfoBalloons);
  tray.showCriticalBalloons = Flag(edited.showCriticalBalloons);
  manager_->SetShowInfoBalloons(tray.showInfoBalloons);
  window.taskbarButton = Flag(edited.taskbarButton);
  window.alwaysOnTop = Flag(edited.alwaysOnTop);
  tray.tempUnits = edited.tempUnits == 1 ? 1 : 0;
  settings_.colors = Masked(edited.colors);
  sampler_->ApplySettings(SamplerSettingsNow());

  window.runMinimized = Flag(edited.runMinimized);
  const int32_t autoRun = static_cast<int32_t>(WayOf(edited.autoRun));
  if (autoRun != 0 && autoRun != window.autoRun) autostartChosen_ = true;
  window.autoRun = autoRun;

  // The log is stopped and started again, so that it carries the new items from a start
  // line on and its period counts from now.
  LoggingSettings& logging = settings_.logging;
  logging.loggingFlags = edited.logging.loggingFlags & kLoggingFlagsMask;
  logging.maxLoggingPeriodS =
      std::clamp(edited.logging.maxLoggingPeriodS, kShortestLogPeriodS, kLongestLogPeriodS);
  if (logging_) {
    LogHaltNotice(log_->Stop());
    logging_ = false;
  }
  logging.enableLogging = Flag(edited.logging.enableLogging);
  if (logging.enableLogging != 0) {
    LogHaltNotice(log_->Start());
    logging_ = !log_->Halted();
  }

  // The tray's icons and the shown page take the colours and the unit now.
  UpdateViews(true);
}

void RunningProgram::FollowAutostartSwitchedOff() {
  // The user turned the entry off in the desktop's own settings: the page shows it off.
  if (platform_.autostart.SwitchedOff(WayOf(settings_.window.autoRun))) {
    settings_.window.autoRun = 0;
  }
}

void RunningProgram::SaveAutostart() {
  platform::AutostartWay way = WayOf(settings_.window.autoRun);
  // Switched off in the desktop during the run: it stays off, stored so, unless the page
  // chose it meanwhile.
  if (!autostartChosen_ && platform_.autostart.SwitchedOff(way)) {
    way = platform::AutostartWay::kOff;
    settings_.window.autoRun = 0;
  }
  // A failure is ignored, as any failure of the save.
  platform_.autostart.Set(
      way, {platform_.system.ProgramPath(), application_.Strings().Get(kStrProductName)});
}

}  // namespace pacetta
