#include "platform/linux/kernel_cpu/competitors.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace pacetta::linux_os {
namespace {

// The kernel keeps 15 characters of a process name: "power-profiles-daemon" shows as
// "power-profiles-".
constexpr size_t kCommLength = 15;

struct Program {
  const char* process;
  const char* name;
  const char* advice;
};

constexpr Program kPrograms[] = {
    {"power-profiles-daemon", "power-profiles-daemon",
     "Stop it with `sudo systemctl stop power-profiles-daemon` (and `sudo systemctl mask "
     "power-profiles-daemon` to keep it off), or leave the power profile to it and choose "
     "no frequency profile here."},
    {"tuned-ppd", "tuned-ppd",
     "Stop it with `sudo systemctl stop tuned-ppd`, or leave the power profile to it and "
     "choose no frequency profile here."},
    {"tuned", "tuned",
     "Switch its tuning off with `sudo tuned-adm off` or stop it with `sudo systemctl stop "
     "tuned`."},
    {"auto-cpufreq", "auto-cpufreq",
     "Stop it with `sudo systemctl stop auto-cpufreq` (or `sudo auto-cpufreq --remove`)."},
};

std::string BaseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The names of running processes: the kernel's short name and the program of the
// command line, or the script a Python interpreter runs (started as `python3 script`,
// its short name is the interpreter's).
std::set<std::string> ProcessNames(const SysfsRoot& root) {
  std::set<std::string> names;
  for (uint32_t pid : root.NumberedEntries("proc", "")) {
    const std::string folder = "proc/" + std::to_string(pid) + "/";
    if (const auto comm = root.Line(folder + "comm")) names.insert(*comm);
    std::ifstream cmdline(root.Path(folder + "cmdline"));
    std::string word;
    if (!std::getline(cmdline, word, '\0')) continue;
    const std::string program = BaseName(word);
    names.insert(program);
    if (program.rfind("python", 0) == 0 && std::getline(cmdline, word, '\0')) {
      names.insert(BaseName(word));
    }
  }
  return names;
}

bool Running(const std::set<std::string>& names, const std::string& process) {
  return names.count(process) != 0 || names.count(process.substr(0, kCommLength)) != 0;
}

// TLP_ENABLE=0 in its configuration switches TLP off; anything else leaves it on.
bool TlpActive(const SysfsRoot& root) {
  if (!root.Exists("run/tlp")) return false;
  std::ifstream config(root.Path("etc/tlp.conf"));
  bool enabled = true;
  for (std::string line; std::getline(config, line);) {
    line.erase(
        std::remove_if(line.begin(), line.end(), [](char c) { return c == ' ' || c == '"'; }),
        line.end());
    if (line.rfind("TLP_ENABLE=", 0) == 0) enabled = line != "TLP_ENABLE=0";
  }
  return enabled;
}

bool ActiveModeDriver(const std::string& driver) {
  return driver == "intel_pstate" || driver == "amd-pstate-epp";
}

// Whether the policy's governor takes the clock out of the program's limits.
bool GovernorInTheWay(const platform::FrequencyPolicy& policy) {
  if (policy.governor == "userspace") return true;
  if (ActiveModeDriver(policy.driver)) {
    return policy.governor == "performance" && !policy.energyPreferences.empty();
  }
  return policy.governor == "performance" || policy.governor == "powersave";
}

std::string GovernorAdvice(const platform::FrequencyPolicy& policy) {
  const char* normal = ActiveModeDriver(policy.driver) ? "powersave" : "schedutil";
  std::string why;
  if (policy.governor == "userspace") {
    why = "Another program sets the clock itself; stop it and choose ";
  } else if (ActiveModeDriver(policy.driver)) {
    why = "It fixes the energy preference; choose ";
  } else {
    why = "It holds the clock at one limit whatever the load; choose ";
  }
  return why + normal + " with `sudo cpupower frequency-set -g " + normal + "`.";
}

}  // namespace

std::vector<platform::FrequencyCompetitor> FindCompetitors(
    const SysfsRoot& root, const std::vector<platform::FrequencyPolicy>& policies) {
  std::vector<platform::FrequencyCompetitor> found;
  const std::set<std::string> names = ProcessNames(root);
  for (const Program& program : kPrograms) {
    if (Running(names, program.process)) found.push_back({program.name, program.advice});
  }
  if (TlpActive(root)) {
    found.push_back({"TLP",
                     "Set TLP_ENABLE=0 in /etc/tlp.conf (or remove the CPU_ settings from it) "
                     "and run `sudo tlp start`, or `sudo systemctl disable tlp` and reboot."});
  }
  std::set<std::string> governors;
  for (const platform::FrequencyPolicy& policy : policies) {
    if (!GovernorInTheWay(policy) || !governors.insert(policy.governor).second) continue;
    found.push_back({"governor " + policy.governor, GovernorAdvice(policy)});
  }
  return found;
}

}  // namespace pacetta::linux_os
