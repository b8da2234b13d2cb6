#pragma once
#include <string>

#include "platform/os_entry_points.h"

namespace pacetta::linux_os {

// Per-processor times from /proc/stat (the path can be replaced by a test tree), the
// raw monotonic clock as the high-resolution counter. Linux has no user-interface
// message filter, so that entry point is absent.
class LinuxOsEntryPoints final : public platform::OsEntryPoints {
 public:
  explicit LinuxOsEntryPoints(std::string procStatPath = "/proc/stat")
      : procStatPath_(std::move(procStatPath)) {}

  bool HasProcessorTimes() override { return true; }
  int32_t QueryProcessorTimes(std::span<platform::ProcessorTimes> times) override;
  bool HasPerformanceCounter() override { return true; }
  int32_t QueryPerformanceCounter(int64_t& counter, int64_t& frequency) override;
  bool HasMessageFilter() override { return false; }
  bool ChangeMessageFilter(const std::string&, uint32_t) override { return false; }

 private:
  std::string procStatPath_;
};

}  // namespace pacetta::linux_os
