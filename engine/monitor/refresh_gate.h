#pragma once
#include <cstdint>
#include <optional>

namespace pacetta {

// Lets a refresh through only when at least the refresh interval less 15 ms has passed
// since the last one that went through, so a timer that fires a little early still
// refreshes while a second, queued tick right after the first does nothing. Times are the
// system's 32-bit millisecond tick count, which wraps.
class RefreshGate {
 public:
  static constexpr uint32_t kToleranceMs = 15;

  // True (and `nowMs` remembered) when a refresh may run now.
  bool Admit(uint32_t nowMs, int32_t refreshIntervalMs);

 private:
  std::optional<uint32_t> last_;
};

}  // namespace pacetta
