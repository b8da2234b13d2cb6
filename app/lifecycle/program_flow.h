#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/lifecycle/front_end.h"
#include "app/lifecycle/lifecycle_options.h"
#include "app/lifecycle/main_window.h"
#include "platform/message_box.h"
#include "platform/platform.h"

namespace pacetta {

// The program's whole run on a chosen platform and front end: the driver object, the
// start-up, the main window and its loop (`runLoop` returns when the loop ends), and
// the exit path. Returns the process exit code.
int RunProgramFlow(platform::Platform& platform, platform::MessageBoxes& boxes, FrontEnd& frontEnd,
                   const std::vector<std::string>& commandArguments,
                   const std::vector<std::string>& restartArguments,
                   const std::function<void(MainWindow&)>& runLoop,
                   const LifecycleOptions& options = {});

}  // namespace pacetta
