#pragma once
#include <string>
#include <vector>

#include "app/lifecycle/close_request.h"
#include "app/lifecycle/lifecycle_options.h"
#include "platform/platform.h"

namespace pacetta::ui {

// Runs the program with the desktop front end. Returns the exit code.
int RunDesktop(platform::Platform& platform, int argc, char** argv,
               const std::vector<std::string>& commandArguments,
               const std::vector<std::string>& restartArguments, CloseRequest& closeRequest,
               const LifecycleOptions& options);

}  // namespace pacetta::ui
