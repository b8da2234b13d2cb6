#include "platform/sim/session/power_request_log.h"

namespace pacetta::sim {

std::string PowerRequestLog::LineOf(const PowerRequestRecord& record) {
  const uint64_t ms = record.sinceStartNs / 1'000'000;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return std::string(seconds) + " " + platform::SystemPowerRequestName(record.request) + "\n";
}

void PowerRequestLog::Record(const PowerRequestRecord& record) {
  records_.push_back(record);
  if (!file_) return;
  std::string error;
  if (file_->Append(LineOf(record), error)) return;
  file_.reset();
  if (notices_)
    std::fprintf(notices_, "pacetta: the power request record stopped: %s\n", error.c_str());
}

}  // namespace pacetta::sim
