#pragma once
#include <chrono>
#include <functional>

#include "platform/os_entry_points.h"
#include "platform/sim/machine.h"

namespace pacetta::sim {

// The simulated system's optional entry points. Which exist follows the simulated
// version: the user-interface message filter arrived with major version 6. Processor
// times come from the owner's load source (by default an idle machine: every processor
// idle since the simulation started).
class SimOsEntryPoints final : public platform::OsEntryPoints {
 public:
  using TimesSource = std::function<void(std::span<platform::ProcessorTimes>)>;

  SimOsEntryPoints(const MachineSpec& machine, TimesSource times = {})
      : machine_(machine), times_(std::move(times)), start_(Clock::now()) {}

  void SetTimesSource(TimesSource times) { times_ = std::move(times); }
  // The machine's clock in nanoseconds behind the high-resolution counter (by default
  // the host's monotonic clock).
  void SetClock(std::function<uint64_t()> clockNs) { clockNs_ = std::move(clockNs); }

  bool HasProcessorTimes() override { return true; }
  int32_t QueryProcessorTimes(std::span<platform::ProcessorTimes> times) override {
    if (times_) {
      times_(times);
      return 0;
    }
    const int64_t elapsed =
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start_).count() / 100;
    for (size_t k = 0; k < times.size(); ++k) {
      const bool present = k < machine_.processors.size();
      times[k] = {present ? elapsed : 0, present ? elapsed : 0, 0};
    }
    return 0;
  }
  bool HasPerformanceCounter() override { return true; }
  int32_t QueryPerformanceCounter(int64_t& counter, int64_t& frequency) override {
    counter =
        clockNs_
            ? static_cast<int64_t>(clockNs_())
            : std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
                  .count();
    frequency = 1000000000;
    return 0;
  }
  bool HasMessageFilter() override { return machine_.os.major >= 6; }
  bool ChangeMessageFilter(const std::string&, uint32_t) override { return HasMessageFilter(); }

 private:
  using Clock = std::chrono::steady_clock;
  const MachineSpec& machine_;
  TimesSource times_;
  std::function<uint64_t()> clockNs_;
  Clock::time_point start_;
};

}  // namespace pacetta::sim
