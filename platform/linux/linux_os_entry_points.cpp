#include "platform/linux/linux_os_entry_points.h"

#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace pacetta::linux_os {

namespace {
constexpr int32_t kStatusUnsuccessful = static_cast<int32_t>(0xC0000001u);
}

int32_t LinuxOsEntryPoints::QueryProcessorTimes(std::span<platform::ProcessorTimes> times) {
  std::ifstream stat(procStatPath_);
  if (!stat) return kStatusUnsuccessful;
  const long ticksPerSecond = sysconf(_SC_CLK_TCK);
  const int64_t unitsPerTick = ticksPerSecond > 0 ? 10000000 / ticksPerSecond : 100000;
  for (auto& t : times) t = {};
  std::string line;
  while (std::getline(stat, line)) {
    // "cpuN user nice system idle iowait irq softirq steal ..."; the "cpu " total and
    // other lines are skipped.
    if (line.size() < 4 || line.compare(0, 3, "cpu") != 0 || line[3] == ' ') continue;
    std::istringstream fields(line.substr(3));
    size_t k = 0;
    int64_t user = 0, nice = 0, system = 0, idle = 0, iowait = 0, irq = 0, softirq = 0;
    if (!(fields >> k >> user >> nice >> system >> idle)) return kStatusUnsuccessful;
    fields >> iowait >> irq >> softirq;  // absent on very old kernels
    if (k >= times.size()) continue;
    const int64_t idleAll = idle + iowait;
    times[k].idle = idleAll * unitsPerTick;
    times[k].kernel = (system + irq + softirq + idleAll) * unitsPerTick;
    times[k].user = (user + nice) * unitsPerTick;
  }
  return 0;
}

int32_t LinuxOsEntryPoints::QueryPerformanceCounter(int64_t& counter, int64_t& frequency) {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC_RAW, &now) != 0) return kStatusUnsuccessful;
  counter = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
  frequency = 1000000000;
  return 0;
}

}  // namespace pacetta::linux_os
