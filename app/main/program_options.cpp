#include "app/main/program_options.h"

#include <cstdlib>

namespace pacetta {

const char* const kProgramUsage =
    "Usage: pacetta [options] [command]\n"
    "\n"
    "Options:\n"
    "  --simulate[=NAME|FILE]  run on a simulated PC: a catalogue machine or a machine\n"
    "                          file (CPUID dump, diagnostic dump); default k8-x2-laptop\n"
    "  --list-machines         list the simulated machines of the catalogue\n"
    "  --cpu-report            print every processor's identification as JSON lines\n"
    "  --dump=FILE             write the diagnostic dump of every processor to FILE\n"
    "  --console               run without a display: status as lines on the terminal\n"
    "  --log-folder=DIR        where the monitoring log is kept (default: the program's\n"
    "                          folder; ~/.local/state/pacetta for an installed copy)\n"
    "  --answer=yes|no|cancel|ok  the answer to a question asked on the console\n"
    "  --update-server=HOST[:PORT]  the FTP server updates come from (default: the\n"
    "                          build's)\n"
    "  --sim-fault=LIST        failures the simulated PC injects (see docs)\n"
    "  --sim-os=MAJOR.MINOR[-9x]  the simulated operating-system version\n"
    "  --sim-32bit, --sim-64bit   the simulated system's word size\n"
    "  --sim-load=idle|full|host|script:...  the simulated processors' work\n"
    "  --sim-thermal=ambient=C,rise=C,tau=S  the simulated thermal model\n"
    "  --sim-scenario=FILE     timed AC, battery, sleep, clock, program and input events\n"
    "  --sim-cpufreq=GOVERNOR[:OFFERED,...]  a kernel frequency driver on older processors\n"
    "  --sim-trace=FILE        write every hardware access of the simulated PC to FILE\n"
    "  --sim-actions=FILE      write the simulated session's standby, hibernate and\n"
    "                          power-off requests to FILE\n"
    "  --sim-affinity=MASK     the processors the simulated process may use\n"
    "  --usage                 this text\n"
    "\n"
    "Commands (also with / instead of -): -help, -profile n, -nextprofile, -prevprofile,\n"
    "-resume, -exit, -unload\n";

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

}  // namespace

std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& arguments,
                                                  std::string& error) {
  ProgramOptions options;
  for (const std::string& argument : arguments) {
    if (!StartsWith(argument, "--")) {
      options.commandArguments.push_back(argument);
      continue;
    }
    const auto equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : argument.substr(equals + 1);
    const bool hasValue = equals != std::string::npos;
    bool carried = true;  // survives a restart
    if (name == "--simulate") {
      options.simulate = true;
      options.machine = value;
    } else if (name == "--log-folder" && hasValue && !value.empty()) {
      options.logFolder = value;
    } else if (name == "--update-server" && hasValue && !value.empty()) {
      options.updateServer = value;
    } else if (name == "--console" && !hasValue) {
      options.console = true;
    } else if (name == "--sim-fault" && hasValue) {
      options.simFaults = value;
      carried = false;  // injected failures are for one run
    } else if (name == "--sim-os" && hasValue) {
      options.simOs = value;
    } else if (name == "--sim-load" && hasValue) {
      options.simLoad = value;
    } else if (name == "--sim-thermal" && hasValue) {
      options.simThermal = value;
    } else if (name == "--sim-scenario" && hasValue) {
      options.simScenario = value;
    } else if (name == "--sim-cpufreq" && hasValue) {
      options.simCpufreq = value;
    } else if ((name == "--sim-32bit" || name == "--sim-64bit") && !hasValue) {
      options.sim32Bit = name == "--sim-32bit";
    } else if (name == "--sim-trace" && hasValue && !value.empty()) {
      options.simTrace = value;
      carried = false;  // a restart would empty the file the trace so far is in
    } else if (name == "--sim-actions" && hasValue && !value.empty()) {
      options.simActions = value;
      carried = false;  // a restart would empty the file, as the trace's
    } else if (name == "--sim-affinity" && hasValue) {
      char* end = nullptr;
      const unsigned long long mask = std::strtoull(value.c_str(), &end, 0);
      if (value.empty() || *end != '\0') {
        error = "bad processor mask: " + value;
        return std::nullopt;
      }
      options.simAffinity = mask;
    } else if (name == "--answer" && hasValue) {
      if (value == "yes") {
        options.answer = platform::MessageAnswer::kYes;
      } else if (value == "no") {
        options.answer = platform::MessageAnswer::kNo;
      } else if (value == "cancel") {
        options.answer = platform::MessageAnswer::kCancel;
      } else if (value == "ok") {
        options.answer = platform::MessageAnswer::kOk;
      } else {
        error = "bad answer: " + value + " (yes, no, cancel or ok)";
        return std::nullopt;
      }
      carried = false;
    } else if (name == "--list-machines" && !hasValue) {
      options.listMachines = true;
      carried = false;
    } else if (name == "--cpu-report" && !hasValue) {
      options.cpuReport = true;
      carried = false;
    } else if (name == "--dump" && hasValue && !value.empty()) {
      options.dumpPath = value;
      carried = false;
    } else if (name == "--usage" && !hasValue) {
      options.showUsage = true;
      carried = false;
    } else {
      error = "unknown option: " + argument;
      return std::nullopt;
    }
    if (carried) options.restartArguments.push_back(argument);
  }
  return options;
}

}  // namespace pacetta
