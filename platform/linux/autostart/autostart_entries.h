#pragma once
#include <string>

#include "platform/autostart.h"

namespace pacetta::linux_os {

// The texts of the two start-at-logon entries, and what a desktop entry says about being
// switched off. Pure text, no files.

// A desktop entry for the user's autostart folder that starts `program`.
std::string LoginEntryText(const platform::AutostartProgram& program);
// A user service unit, wanted by the graphical session, that starts `program`.
std::string SessionServiceText(const platform::AutostartProgram& program);
// The desktop entry `text` is switched off: "Hidden=true", which the desktops' settings
// write into the user's copy, or the older "X-GNOME-Autostart-enabled=false".
bool EntrySwitchedOff(const std::string& text);

}  // namespace pacetta::linux_os
