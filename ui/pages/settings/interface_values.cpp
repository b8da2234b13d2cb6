#include "ui/pages/settings/interface_values.h"

#include <algorithm>

namespace pacetta::ui {
namespace {

constexpr int32_t kMostDays = 999;

}  // namespace

InterfaceSettings InterfaceSettingsOf(const AppSettings& settings) {
  InterfaceSettings values;
  values.resourceLocaleId = settings.window.resourceLocaleId;
  values.showInfoBalloons = settings.tray.showInfoBalloons;
  values.showCriticalBalloons = settings.tray.showCriticalBalloons;
  values.alwaysOnTop = settings.window.alwaysOnTop;
  values.taskbarButton = settings.window.taskbarButton;
  values.tempUnits = settings.tray.tempUnits;
  values.colors = settings.colors;
  values.runMinimized = settings.window.runMinimized;
  values.autoRun = settings.window.autoRun;
  values.logging = settings.logging;
  return values;
}

InterfaceSettings DefaultInterfaceSettings() {
  InterfaceSettings values;
  values.resourceLocaleId = WindowSettings{}.resourceLocaleId;
  return values;
}

LogInterval LogIntervalOf(int32_t seconds) {
  const int32_t minutes = std::max(seconds, 0) / 60;
  LogInterval interval;
  interval.days = std::min(minutes / (24 * 60), kMostDays);
  interval.hours = minutes / 60 % 24;
  interval.minutes = minutes % 60;
  return interval;
}

int32_t SecondsOf(const LogInterval& interval) {
  return ((interval.days * 24 + interval.hours) * 60 + interval.minutes) * 60;
}

}  // namespace pacetta::ui
