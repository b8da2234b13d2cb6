#pragma once
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>

#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

// A folder laid out as the kernel's sys/devices/system/cpu, sys/class/hwmon and /proc,
// built file by file.
class FakeSysfs {
 public:
  using Attributes = std::initializer_list<std::pair<const char*, std::string>>;

  const std::string& Root() const { return folder_.Path(); }
  std::string Path(const std::string& relative) const { return folder_.File(relative); }

  void Write(const std::string& relative, const std::string& text) const {
    const std::filesystem::path path = Path(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
  }
  // The first line of a file, as a test reads back what was written.
  std::string Read(const std::string& relative) const {
    std::ifstream file(Path(relative));
    std::string line;
    std::getline(file, line);
    return line;
  }
  void Link(const std::string& relative, const std::string& target) const {
    const std::filesystem::path path = Path(relative);
    std::filesystem::create_directories(path.parent_path());
    std::filesystem::create_symlink(target, path);
  }
  void Folder(const std::string& relative) const {
    std::filesystem::create_directories(Path(relative));
  }

  static std::string PolicyFolder(unsigned id) {
    return "sys/devices/system/cpu/cpufreq/policy" + std::to_string(id);
  }
  // cpufreq/policyN with these attributes, and cpuK/cpufreq linked to it for each of
  // its processors as the kernel links them.
  void Policy(unsigned id, std::initializer_list<unsigned> cpus, Attributes attributes) const {
    std::ostringstream list;
    for (unsigned cpu : cpus) list << (list.tellp() > 0 ? " " : "") << cpu;
    Write(PolicyFolder(id) + "/affected_cpus", list.str());
    for (const auto& [name, value] : attributes) Write(PolicyFolder(id) + "/" + name, value);
    for (unsigned cpu : cpus) {
      Link("sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/cpufreq",
           "../cpufreq/policy" + std::to_string(id));
    }
  }
  void Topology(unsigned cpu, unsigned package, unsigned core) const {
    const std::string folder = "sys/devices/system/cpu/cpu" + std::to_string(cpu) + "/topology/";
    Write(folder + "physical_package_id", std::to_string(package));
    Write(folder + "core_id", std::to_string(core));
  }
  // sys/class/hwmon/hwmonN of driver `name` belonging to device `device` (empty: none),
  // with tempK_input and tempK_label for each {label, millidegrees}.
  void Hwmon(unsigned n, const std::string& name, const std::string& device,
             std::initializer_list<std::pair<const char*, int>> sensors) const {
    const std::string folder = "sys/class/hwmon/hwmon" + std::to_string(n);
    Write(folder + "/name", name);
    if (!device.empty()) {
      Folder("sys/devices/platform/" + device);
      Link(folder + "/device", "../../../devices/platform/" + device);
    }
    unsigned k = 1;
    for (const auto& [label, value] : sensors) {
      const std::string stem = folder + "/temp" + std::to_string(k++);
      Write(stem + "_input", std::to_string(value));
      if (*label != '\0') Write(stem + "_label", label);
    }
  }
  void Process(unsigned pid, const std::string& comm, const std::string& cmdline = "") const {
    const std::string folder = "proc/" + std::to_string(pid) + "/";
    Write(folder + "comm", comm);
    const std::string args = cmdline.empty() ? comm : cmdline;
    std::string nulled = args;
    for (char& c : nulled) c = c == ' ' ? '\0' : c;
    std::ofstream(Path(folder + "cmdline")) << nulled << '\0';
  }

 private:
  TempFolder folder_;
};

}  // namespace pacetta::testing
