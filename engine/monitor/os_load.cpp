#include "engine/monitor/os_load.h"

#include <algorithm>
#include <span>

#include "cpu/cpu_info.h"

namespace pacetta {

double StoreAndComputeOsLoad(OsTimesHistory& history, const platform::ProcessorTimes& now,
                             uint32_t depth) {
  const auto length = static_cast<uint32_t>(history.entries.size());
  if (history.index == 0) history.entries.fill(now);
  const uint32_t newest = history.index % length;
  history.entries[newest] = now;
  ++history.index;

  depth = std::clamp<uint32_t>(depth, 1, length - 1);
  const platform::ProcessorTimes& then = history.entries[(newest + length - depth) % length];
  const int64_t idle = now.idle - then.idle;
  const int64_t total = (now.kernel - then.kernel) + (now.user - then.user);
  if (total <= 0) return 0.0;
  const double load = (1.0 - static_cast<double>(idle) / static_cast<double>(total)) * 100.0;
  return std::clamp(load, 0.0, 100.0);
}

std::optional<platform::ProcessorTimes> QueryProcessorTimes(const OptionalEntryPoints& entryPoints,
                                                            uint32_t processor,
                                                            uint32_t processorCount,
                                                            IdleHelperTimes* helper) {
  std::array<platform::ProcessorTimes, kMaxProcessors> all{};
  processorCount = std::min<uint32_t>(processorCount, kMaxProcessors);
  if (processor >= processorCount) return std::nullopt;
  if (entryPoints.CallNtQuerySystemInformation(std::span(all).first(processorCount)) != 0) {
    return std::nullopt;
  }
  platform::ProcessorTimes own = all[processor];
  if (helper != nullptr) {
    // The helper halts the processor while it runs, yet the system counts that time as
    // busy: it is idle time.
    own.idle += helper->ConsumedTime(processor).value_or(0);
  }
  return own;
}

}  // namespace pacetta
