#pragma once
#include "platform/local_time.h"

namespace pacetta::linux_os {

// The system's wall clock in the time zone of the process.
class LinuxLocalClock final : public platform::LocalClock {
 public:
  platform::LocalTime Now() override;
  int64_t EpochSeconds() override;
  std::optional<int64_t> EpochSecondsOf(const platform::LocalTime& local) override;
};

}  // namespace pacetta::linux_os
