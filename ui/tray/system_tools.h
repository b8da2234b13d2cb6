#pragma once

namespace pacetta::ui {

// The desktop's own tools the tray's menus start: its system monitor ("Launch Task
// Manager") and its power settings. The first one installed is started detached; false
// when none is.
bool LaunchSystemMonitor();
bool LaunchPowerSettings();

}  // namespace pacetta::ui
