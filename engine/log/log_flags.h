#pragma once
#include <cstdint>

namespace pacetta {

// "LoggingFlags": a set bit leaves its field out of the sample lines.
namespace log_flags {
inline constexpr uint32_t kNoClock = 0x01;
inline constexpr uint32_t kNoThrottle = 0x02;
inline constexpr uint32_t kNoFid = 0x04;
inline constexpr uint32_t kNoVid = 0x08;
inline constexpr uint32_t kNoCpuLoad = 0x10;
inline constexpr uint32_t kNoOsLoad = 0x20;
inline constexpr uint32_t kNoCoreTemp = 0x40;
inline constexpr uint32_t kNoOverheatAlert = 0x80;
inline constexpr uint32_t kAllSampleFields = 0x7F;
}  // namespace log_flags

}  // namespace pacetta
