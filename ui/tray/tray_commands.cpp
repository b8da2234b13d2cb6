#include "ui/tray/tray_commands.h"

namespace pacetta::ui {

const char* TrayCommandText(int32_t command) {
  switch (command) {
    case kCmdToggleWindow:
      return "View/hide main window";
    case kCmdLeftClickMenu:
      return "Enable profiles selection with left-click";
    case kCmdShowPerfLevel:
      return "Show performance level in main icon";
    case kCmdShowFreqIcon:
      return "Show CPU frequency icon in system tray";
    case kCmdShowLoadIcon:
      return "Show CPU load icon in system tray";
    case kCmdShowTempIcon:
      return "Show CPU temperature icon in system tray";
    case kCmdRestart:
      return "Restart  Tarvello";
    case kCmdExit:
      return "Exit Tarvello";
    case kCmdShowMonitoring:
      return "Show Monitoring page";
    case kCmdShowBatteryInfo:
      return "Show Battery info page";
    case kCmdTaskManager:
      return "Launch Task Manager";
    case kCmdFreqCoreClock:
      return "CPU core clock";
    case kCmdFreqThrottle:
      return "CPU throttle";
    case kCmdLoadCpuOnly:
      return "CPU load only";
    case kCmdLoadOsOnly:
      return "OS load only";
    case kCmdLoadBoth:
      return "Both CPU && OS load";
    case kCmdLoadMeter:
      return "Current CPU/OS load meter";
    case kCmdLoadGraph:
      return "CPU/OS load history graph";
    case kCmdUnitsAuto:
      return "Auto MHz/GHz";
    case kCmdUnitsGhz:
      return "Always GHz";
    case kCmdProfileProperties:
      return "Adjust profile power properties";
    case kCmdSystemPowerProperties:
      return "Adjust Windows power properties";
    case kCmdHideFreqIcon:
    case kCmdHideLoadIcon:
    case kCmdHideTempIcon:
      return "Hide icon";
    default:
      return nullptr;
  }
}

}  // namespace pacetta::ui
