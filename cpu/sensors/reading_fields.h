#pragma once
#include <atomic>
#include <cstdint>

namespace pacetta::sensors {

// "Not available": the value of a reading the processor cannot give.
inline constexpr double kNotAvailable = -1.0;
// A temperature reading the sensor marked invalid.
inline constexpr float kInvalidTemperature = -2147483648.0f;
// The 8254's count rate as the clock measurement uses it: counter 0 runs as a square
// wave (mode 3), which lowers the count by two per input clock of 1.193 MHz.
inline constexpr double kTimerCountRate = 2386092.942;

// The reading fields other threads read while one thread refreshes them: every access
// is one atomic 32-bit operation, so a reader never sees a torn value.
inline void StoreReading(uint32_t& field, uint32_t value) {
  std::atomic_ref<uint32_t>(field).exchange(value);
}
inline uint32_t LoadReading(const uint32_t& field) {
  // The record itself is never const, only the reader's view of it.
  return std::atomic_ref<uint32_t>(const_cast<uint32_t&>(field)).load();
}

}  // namespace pacetta::sensors
