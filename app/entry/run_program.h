#pragma once
#include "app/main/program_options.h"

namespace pacetta {

// Chooses the platform and the front end the options ask for and runs the program.
int RunProgram(const ProgramOptions& options, int argc, char** argv);

}  // namespace pacetta
