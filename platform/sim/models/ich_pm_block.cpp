#include "platform/sim/models/ich_pm_block.h"

#include "platform/sim/models/bit_field.h"

namespace pacetta::sim {
namespace {

constexpr BitField kNormalDuty{3, 1};
constexpr uint32_t kNormalEnable = 1u << 4;
constexpr BitField kThermalDuty{7, 5};
constexpr uint32_t kForceThermal = 1u << 8;
constexpr uint32_t kThrottleStatus = 1u << 17;
constexpr uint32_t kWritable = 0x000001FE;

double DutyOfCode(uint32_t code) {
  return code == 0 ? 0.5 : code / 8.0;
}

}  // namespace

double IchThrottleDuty(uint32_t processorControl) {
  if ((processorControl & kForceThermal) != 0)
    return DutyOfCode(kThermalDuty.Get(processorControl));
  if ((processorControl & kNormalEnable) != 0) return DutyOfCode(kNormalDuty.Get(processorControl));
  return 1.0;
}

void IchPowerManagementBlock::SetBase(uint16_t base) {
  std::lock_guard lock(mutex_);
  base_ = base & ~(kSize - 1);
}

void IchPowerManagementBlock::SetDecode(bool enabled) {
  std::lock_guard lock(mutex_);
  enabled_ = enabled;
}

bool IchPowerManagementBlock::DecodesLocked(uint16_t port) const {
  return enabled_ && port >= base_ && port - base_ < kSize;
}

std::optional<uint32_t> IchPowerManagementBlock::Read(uint16_t port, unsigned width) {
  std::lock_guard lock(mutex_);
  if (!DecodesLocked(port)) return std::nullopt;
  uint32_t status = processorControl_;
  if ((processorControl_ & (kForceThermal | kNormalEnable)) != 0) status |= kThrottleStatus;
  uint32_t value = 0;
  for (unsigned i = 0; i < width; ++i) {
    const unsigned offset = port + i - base_;
    if (offset >= kProcessorControl && offset < kProcessorControl + 4u) {
      value |= (status >> 8 * (offset - kProcessorControl) & 0xFF) << 8 * i;
    }
  }
  return value;
}

bool IchPowerManagementBlock::Write(uint16_t port, unsigned width, uint32_t value) {
  std::lock_guard lock(mutex_);
  if (!DecodesLocked(port)) return false;
  uint32_t next = processorControl_;
  for (unsigned i = 0; i < width; ++i) {
    const unsigned offset = port + i - base_;
    if (offset < kProcessorControl || offset >= kProcessorControl + 4u) continue;
    const unsigned shift = 8 * (offset - kProcessorControl);
    const uint32_t mask = kWritable & (0xFFu << shift);
    next = (next & ~mask) | ((value >> 8 * i & 0xFF) << shift & mask);
  }
  const double before = IchThrottleDuty(processorControl_);
  processorControl_ = next;
  const double after = IchThrottleDuty(next);
  if (after != before && listener_) listener_(after);
  return true;
}

}  // namespace pacetta::sim
