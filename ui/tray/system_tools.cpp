#include "ui/tray/system_tools.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <initializer_list>
#include <utility>

namespace pacetta::ui {
namespace {

using Tool = std::pair<const char*, QStringList>;

bool LaunchFirst(std::initializer_list<Tool> tools) {
  for (const auto& [program, arguments] : tools) {
    const QString path = QStandardPaths::findExecutable(QString::fromUtf8(program));
    if (!path.isEmpty() && QProcess::startDetached(path, arguments)) return true;
  }
  return false;
}

}  // namespace

bool LaunchSystemMonitor() {
  return LaunchFirst({{"gnome-system-monitor", {"--show-processes-tab"}},
                      {"plasma-systemmonitor", {}},
                      {"ksysguard", {}},
                      {"xfce4-taskmanager", {}},
                      {"mate-system-monitor", {}},
                      {"lxtask", {}},
                      {"x-terminal-emulator", {"-e", "top"}}});
}

bool LaunchPowerSettings() {
  return LaunchFirst({{"gnome-control-center", {"power"}},
                      {"systemsettings", {"kcm_powerdevilprofilesconfig"}},
                      {"xfce4-power-manager-settings", {}},
                      {"mate-power-preferences", {}},
                      {"lxqt-config-powermanagement", {}}});
}

}  // namespace pacetta::ui
