#include "platform/linux/kernel_cpu/hwmon_temperatures.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "platform/linux/kernel_cpu/cpufreq_policies.h"

namespace pacetta::linux_os {
namespace {

struct Processor {
  uint32_t cpu;
  uint32_t core;
  uint32_t package;
};

// The online processors with their core and package; offline ones have no topology.
std::vector<Processor> ReadTopology(const SysfsRoot& root) {
  std::vector<Processor> processors;
  for (uint32_t cpu : root.NumberedEntries(kCpuFolder, "cpu")) {
    const std::string folder =
        std::string(kCpuFolder) + "/cpu" + std::to_string(cpu) + "/topology/";
    const auto core = root.Unsigned(folder + "core_id");
    const auto package = root.Unsigned(folder + "physical_package_id");
    if (!core || !package) continue;
    processors.push_back({cpu, static_cast<uint32_t>(*core), static_cast<uint32_t>(*package)});
  }
  return processors;
}

std::vector<uint32_t> CpusWhere(const std::vector<Processor>& processors,
                                std::optional<uint32_t> package, std::optional<uint32_t> core) {
  std::vector<uint32_t> cpus;
  for (const Processor& p : processors) {
    if ((!package || p.package == *package) && (!core || p.core == *core)) cpus.push_back(p.cpu);
  }
  return cpus;
}

std::set<uint32_t> Packages(const std::vector<Processor>& processors) {
  std::set<uint32_t> packages;
  for (const Processor& p : processors) packages.insert(p.package);
  return packages;
}

// The number after `prefix` in `text` when the rest of it is exactly that number.
std::optional<uint32_t> NumberAfter(const std::string& text, const std::string& prefix) {
  if (text.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  const auto number = ParseUnsigned(text.substr(prefix.size()));
  if (!number || *number > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(*number);
}

struct Sensor {
  uint32_t index;
  std::string label;
  double celsius;
};

std::vector<Sensor> ReadSensors(const SysfsRoot& root, const std::string& folder) {
  std::vector<Sensor> sensors;
  std::set<uint32_t> indexes;
  for (const std::string& entry : root.Entries(folder)) {
    const std::string suffix = "_input";
    if (entry.size() <= suffix.size() ||
        entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    if (const auto k = NumberAfter(entry.substr(0, entry.size() - suffix.size()), "temp")) {
      indexes.insert(*k);
    }
  }
  for (uint32_t k : indexes) {
    const std::string stem = folder + "/temp" + std::to_string(k);
    const auto millidegrees = root.Signed(stem + "_input");
    if (!millidegrees) continue;  // a sensor that reads as an error (ENODATA) now
    std::string label = root.Line(stem + "_label").value_or("");
    if (label.empty()) label = "temp" + std::to_string(k);
    sensors.push_back({k, label, static_cast<double>(*millidegrees) / 1000.0});
  }
  return sensors;
}

// coretemp: one device per package, "coretemp.P". Its "Package id P" label names the
// package too and is preferred: it is the hwmon's own word.
std::optional<uint32_t> CoretempPackage(const std::vector<Sensor>& sensors,
                                        const std::optional<std::string>& device) {
  for (const Sensor& s : sensors) {
    if (const auto package = NumberAfter(s.label, "Package id ")) return package;
  }
  if (device) return NumberAfter(*device, "coretemp.");
  return std::nullopt;
}

// The PCI slot of an AMD northbridge or data-fabric function "0000:00:18.3": node 0 is
// device 18h, node n device 18h + n.
std::optional<uint32_t> NodeOfPciDevice(const std::optional<std::string>& device) {
  if (!device || device->size() < 12 || (*device)[4] != ':' || (*device)[7] != ':' ||
      (*device)[10] != '.') {
    return std::nullopt;
  }
  const unsigned long slot = std::strtoul(device->substr(8, 2).c_str(), nullptr, 16);
  if (slot < 0x18 || slot > 0x1F) return std::nullopt;
  return static_cast<uint32_t>(slot - 0x18);
}

struct Device {
  std::string name;
  std::string folder;
  std::optional<std::string> device;  // the name of the device the hwmon belongs to
  std::vector<Sensor> sensors;
};

// The processors an AMD package sensor (k10temp, zenpower, k8temp) stands for. One
// package: all of them. Several: the devices in PCI order are the nodes, spread evenly
// over the packages in id order (processors with several nodes in one package have as
// many devices); when they do not spread evenly the package cannot be told.
std::vector<uint32_t> AmdPackageCpus(const std::vector<Processor>& processors,
                                     const std::vector<uint32_t>& nodes,
                                     std::optional<uint32_t> node) {
  const std::set<uint32_t> packages = Packages(processors);
  if (packages.size() == 1) return CpusWhere(processors, std::nullopt, std::nullopt);
  if (!node || packages.empty() || nodes.size() % packages.size() != 0) return {};
  const auto position = std::find(nodes.begin(), nodes.end(), *node) - nodes.begin();
  const size_t perPackage = nodes.size() / packages.size();
  const uint32_t package = *std::next(packages.begin(), static_cast<long>(position / perPackage));
  return CpusWhere(processors, package, std::nullopt);
}

void AddCoretemp(const Device& device, const std::vector<Processor>& processors,
                 std::vector<platform::CpuTemperature>& out) {
  const auto package = CoretempPackage(device.sensors, device.device);
  for (const Sensor& s : device.sensors) {
    std::vector<uint32_t> cpus;
    if (const auto core = NumberAfter(s.label, "Core ")) {
      if (package) cpus = CpusWhere(processors, package, core);
    } else if (const auto own = NumberAfter(s.label, "Package id ")) {
      cpus = CpusWhere(processors, own, std::nullopt);
    }
    out.push_back({device.name, s.label, s.celsius, std::move(cpus)});
  }
}

}  // namespace

bool IsCpuHwmon(const std::string& name) {
  static constexpr const char* kNames[] = {"coretemp", "k10temp", "zenpower", "k8temp",
                                           "via_cputemp"};
  if (std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames)) return true;
  const std::string suffix = "_thermal";
  return name.size() >= 3 + suffix.size() && name.compare(0, 3, "cpu") == 0 &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<platform::CpuTemperature> ReadCpuTemperatures(const SysfsRoot& root) {
  std::vector<Device> devices;
  for (uint32_t n : root.NumberedEntries(kHwmonFolder, "hwmon")) {
    Device device;
    device.folder = std::string(kHwmonFolder) + "/hwmon" + std::to_string(n);
    device.name = root.Line(device.folder + "/name").value_or("");
    if (!IsCpuHwmon(device.name)) continue;
    device.device = root.LinkName(device.folder + "/device");
    device.sensors = ReadSensors(root, device.folder);
    devices.push_back(std::move(device));
  }
  const std::vector<Processor> processors = ReadTopology(root);
  // The AMD package sensors' nodes per driver, in PCI order.
  std::map<std::string, std::vector<uint32_t>> nodes;
  for (const Device& device : devices) {
    if (const auto node = NodeOfPciDevice(device.device)) nodes[device.name].push_back(*node);
  }
  for (auto& [name, list] : nodes) std::sort(list.begin(), list.end());

  std::vector<platform::CpuTemperature> temperatures;
  for (const Device& device : devices) {
    if (device.name == "coretemp") {
      AddCoretemp(device, processors, temperatures);
      continue;
    }
    std::vector<uint32_t> cpus;
    if (device.name == "via_cputemp") {
      // One device per core, named by the processor it reads: "via_cputemp.N".
      if (const auto cpu =
              device.device ? NumberAfter(*device.device, "via_cputemp.") : std::nullopt) {
        cpus.push_back(*cpu);
      }
    } else if (device.name.compare(0, 3, "cpu") == 0) {
      cpus = CpusWhere(processors, std::nullopt, std::nullopt);  // a board's one CPU zone
    } else {
      // Tctl, Tdie and the per-die k8temp values stand for the package. A TccdN value
      // belongs to one chiplet, but which processors sit on chiplet N cannot be told
      // from sysfs (the numbering skips fused-off chiplets), so it stands for the package.
      cpus = AmdPackageCpus(processors, nodes[device.name], NodeOfPciDevice(device.device));
    }
    for (const Sensor& s : device.sensors) {
      temperatures.push_back({device.name, s.label, s.celsius, cpus});
    }
  }
  return temperatures;
}

}  // namespace pacetta::linux_os
