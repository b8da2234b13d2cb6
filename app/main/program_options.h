#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace pacetta {

// The program's own options (double dash), apart from the Windows-style commands.
struct ProgramOptions {
  bool simulate = false;
  std::string machine;  // catalogue name or machine file; empty = the default machine
  std::string simFaults;
  std::string simOs;        // "MAJOR.MINOR" or "MAJOR.MINOR-9x"
  std::string simLoad;      // idle, full, host or script:...
  std::string simThermal;   // ambient=C,rise=C,tau=S
  std::string simScenario;  // a file of timed power, clock, program and input events
  std::string simCpufreq;   // an older frequency driver's governors
  std::string simTrace;     // the register trace's file
  std::string simActions;   // the simulated session's power requests' file
  std::optional<bool> sim32Bit;
  std::optional<uint64_t> simAffinity;
  bool console = false;
  std::string logFolder;     // the monitoring log's folder; empty = the program's folder
  std::string updateServer;  // HOST[:PORT] of the update server; empty = the build's
  bool listMachines = false;
  bool cpuReport = false;
  std::string dumpPath;  // `--dump=FILE`: write the diagnostic dump there and end
  bool showUsage = false;
  std::optional<platform::MessageAnswer> answer;
  // Everything else, in order: the command line the program itself interprets.
  std::vector<std::string> commandArguments;
  // The options that choose the platform and front end, for a restart.
  std::vector<std::string> restartArguments;
};

// Nullopt with `error` set for an unknown option or a bad value.
std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& arguments,
                                                  std::string& error);

extern const char* const kProgramUsage;

}  // namespace pacetta
