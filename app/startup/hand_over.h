#pragma once
#include <string>

#include "app/startup/command_line.h"
#include "platform/instance.h"

namespace pacetta {

// Passes the command to the running instance's main window. False when no window of
// that caption answers.
bool HandOverToRunningInstance(platform::Windows& windows, const std::string& caption,
                               const Command& command);

}  // namespace pacetta
