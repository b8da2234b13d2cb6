#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "platform/os_entry_points.h"
#include "platform/system.h"

namespace pacetta {

// The operating-system functions that not every system has, resolved once at start-up
// before any worker thread exists and read-only afterwards. Each call answers with its
// fixed failure value when its entry point is missing, so the program starts everywhere
// and only loses the feature.
class OptionalEntryPoints {
 public:
  void Resolve(platform::OsEntryPoints& os, platform::System& system);

  // Per-processor idle, kernel and user times; 0 on success, -1 when missing.
  int32_t CallNtQuerySystemInformation(std::span<platform::ProcessorTimes> times) const;
  // The high-resolution counter and its frequency; 0 on success, -1 when missing.
  int32_t CallNtQueryPerformanceCounter(int64_t& counter, int64_t& frequency) const;
  // Whether the process runs under 32-bit emulation on a 64-bit system; false (0) when
  // the entry point is missing or the call fails.
  bool CallIsWow64Process(bool& emulated) const;
  // Lets the message through the privilege filter; false when missing.
  bool CallChangeWindowMessageFilter(const std::string& message, uint32_t action) const;

  bool HasProcessorTimes() const { return processorTimes_ != nullptr; }
  bool HasPerformanceCounter() const { return performanceCounter_ != nullptr; }
  bool HasMessageFilter() const { return messageFilter_ != nullptr; }

 private:
  platform::OsEntryPoints* processorTimes_ = nullptr;
  platform::OsEntryPoints* performanceCounter_ = nullptr;
  platform::System* wow64_ = nullptr;
  platform::OsEntryPoints* messageFilter_ = nullptr;
};

// The operating-system version read once at program start.
class COSVersion {
 public:
  explicit COSVersion(platform::System& system) : version_(system.Version()) {}
  virtual ~COSVersion() = default;
  const platform::OsVersion& Version() const { return version_; }
  bool IsWindows9x() const {
    return version_.platformId == platform::kPlatformWin9x && version_.major == 4;
  }

 private:
  platform::OsVersion version_;
};

}  // namespace pacetta
