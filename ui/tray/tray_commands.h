#pragma once
#include <cstdint>

namespace pacetta::ui {

// The tray's commands by number, with their menu texts. A window with a question of a
// page on screen leaves the window commands for later: the box is answered first.
enum TrayCommand : int32_t {
  kCmdToggleWindow = 32782,
  kCmdFirstProfile = 32783,  // + profile index, at most kMenuProfiles profiles
  kCmdLeftClickMenu = 32815,
  kCmdShowPerfLevel = 32816,
  kCmdShowFreqIcon = 32817,
  kCmdShowLoadIcon = 32818,
  kCmdShowTempIcon = 32819,
  kCmdRestart = 32820,
  kCmdExit = 32821,
  kCmdShowMonitoring = 32822,
  kCmdShowBatteryInfo = 32823,
  kCmdTaskManager = 32824,
  kCmdFreqCoreClock = 32825,
  kCmdFreqThrottle = 32826,
  kCmdLoadCpuOnly = 32827,
  kCmdLoadOsOnly = 32828,
  kCmdLoadBoth = 32829,
  kCmdLoadMeter = 32830,
  kCmdLoadGraph = 32831,
  kCmdUnitsAuto = 32832,
  kCmdUnitsGhz = 32833,
  kCmdProfileProperties = 32834,
  kCmdSystemPowerProperties = 32835,
  kCmdHideFreqIcon = 32836,
  kCmdHideLoadIcon = 32837,
  kCmdHideTempIcon = 32838,
};
inline constexpr int32_t kMenuProfiles = 32;

// The text of a command's menu item ("&&" shows one ampersand); null for a profile's,
// which is its name.
const char* TrayCommandText(int32_t command);

// The root items the tray's commands show.
inline constexpr int kMonitoringPageIndex = 3;
inline constexpr int kBatteryPageIndex = 6;

}  // namespace pacetta::ui
