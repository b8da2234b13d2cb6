#include "hw/optional_entry_points.h"

namespace pacetta {

void OptionalEntryPoints::Resolve(platform::OsEntryPoints& os, platform::System& system) {
  processorTimes_ = os.HasProcessorTimes() ? &os : nullptr;
  performanceCounter_ = os.HasPerformanceCounter() ? &os : nullptr;
  wow64_ = system.IsEmulated32On64().has_value() ? &system : nullptr;
  messageFilter_ = os.HasMessageFilter() ? &os : nullptr;
}

int32_t OptionalEntryPoints::CallNtQuerySystemInformation(
    std::span<platform::ProcessorTimes> times) const {
  return processorTimes_ ? processorTimes_->QueryProcessorTimes(times) : -1;
}

int32_t OptionalEntryPoints::CallNtQueryPerformanceCounter(int64_t& counter,
                                                           int64_t& frequency) const {
  return performanceCounter_ ? performanceCounter_->QueryPerformanceCounter(counter, frequency)
                             : -1;
}

bool OptionalEntryPoints::CallIsWow64Process(bool& emulated) const {
  if (!wow64_) return false;
  const std::optional<bool> answer = wow64_->IsEmulated32On64();
  if (!answer) return false;
  emulated = *answer;
  return true;
}

bool OptionalEntryPoints::CallChangeWindowMessageFilter(const std::string& message,
                                                        uint32_t action) const {
  return messageFilter_ ? messageFilter_->ChangeMessageFilter(message, action) : false;
}

}  // namespace pacetta
