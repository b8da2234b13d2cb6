// pacetta: chooses the platform (the real machine or a simulated PC) and the front end
// (the desktop or the console), then runs the program.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/entry/run_program.h"
#include "app/main/program_options.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string error;
  auto options = pacetta::ParseProgramOptions(arguments, error);
  if (!options) {
    std::fprintf(stderr, "pacetta: %s\n\n%s", error.c_str(), pacetta::kProgramUsage);
    return 2;
  }
  return pacetta::RunProgram(*options, argc, argv);
}
