#include "platform/legacy_power_policy.h"

#include <span>
#include <type_traits>

namespace pacetta::platform {
namespace {

// Walks a block field by field; one layout serves both directions.
template <bool kWriting>
class Cursor {
 public:
  using Byte = std::conditional_t<kWriting, uint8_t, const uint8_t>;
  explicit Cursor(std::span<Byte> bytes) : bytes_(bytes) {}

  void U32(uint32_t& value) {
    for (size_t b = 0; b < 4; ++b) {
      if constexpr (kWriting) {
        bytes_[at_ + b] = static_cast<uint8_t>(value >> (8 * b));
      } else {
        if (b == 0) value = 0;
        value |= static_cast<uint32_t>(bytes_[at_ + b]) << (8 * b);
      }
    }
    at_ += 4;
  }
  void U8(uint8_t& value) {
    if constexpr (kWriting) {
      bytes_[at_] = value;
    } else {
      value = bytes_[at_];
    }
    ++at_;
  }
  void Skip(size_t count) { at_ += count; }
  void Action(PowerAction& action) {
    U32(action.action);
    U32(action.flags);
    U32(action.eventCode);
  }
  // Two one-bit fields at the bottom of a 32-bit word.
  void Bits(bool& bit0, bool& bit1) {
    uint32_t word = (bit0 ? 1u : 0u) | (bit1 ? 2u : 0u);
    U32(word);
    bit0 = (word & 1u) != 0;
    bit1 = (word & 2u) != 0;
  }

 private:
  std::span<Byte> bytes_;
  size_t at_ = 0;
};

template <class C>
void Walk(C& c, PowerPolicy& p) {
  c.U32(p.userRevision);
  c.Action(p.idleAc);
  c.Action(p.idleDc);
  c.U32(p.idleTimeoutAc);
  c.U32(p.idleTimeoutDc);
  c.U8(p.idleSensitivityAc);
  c.U8(p.idleSensitivityDc);
  c.U8(p.throttlePolicyAc);
  c.U8(p.throttlePolicyDc);
  c.U32(p.maxSleepAc);
  c.U32(p.maxSleepDc);
  c.Skip(8);  // reserved
  c.U32(p.videoTimeoutAc);
  c.U32(p.videoTimeoutDc);
  c.U32(p.spindownTimeoutAc);
  c.U32(p.spindownTimeoutDc);
  c.U8(p.optimizeForPowerAc);
  c.U8(p.optimizeForPowerDc);
  c.U8(p.fanThrottleToleranceAc);
  c.U8(p.fanThrottleToleranceDc);
  c.U8(p.forcedThrottleAc);
  c.U8(p.forcedThrottleDc);
  c.Skip(2);  // the user part is padded to 80 bytes
  c.U32(p.machineRevision);
  c.U32(p.minSleepAc);
  c.U32(p.minSleepDc);
  c.U32(p.reducedLatencySleepAc);
  c.U32(p.reducedLatencySleepDc);
  c.U32(p.dozeTimeoutAc);
  c.U32(p.dozeTimeoutDc);
  c.U32(p.dozeS4TimeoutAc);
  c.U32(p.dozeS4TimeoutDc);
  c.U8(p.minThrottleAc);
  c.U8(p.minThrottleDc);
  c.Skip(2);
  c.Action(p.overThrottledAc);
  c.Action(p.overThrottledDc);
}

template <class C>
void Walk(C& c, ProcessorSourcePolicy& p) {
  c.U32(p.revision);
  c.U8(p.dynamicThrottle);
  c.Skip(3);
  bool reserved = false;
  c.Bits(p.disableCStates, reserved);
  c.U32(p.policyCount);
  for (ProcessorPolicyStep& step : p.steps) {
    c.U32(step.timeCheck);
    c.U32(step.demoteLimit);
    c.U32(step.promoteLimit);
    c.U8(step.demotePercent);
    c.U8(step.promotePercent);
    c.Skip(2);
    c.Bits(step.allowDemotion, step.allowPromotion);
  }
}

template <class C>
void Walk(C& c, ProcessorPolicy& p) {
  c.U32(p.revision);
  Walk(c, p.ac);
  Walk(c, p.dc);
}

template <class Block, class Policy>
Block PackAny(Policy policy) {
  Block block{};
  Cursor<true> cursor{std::span<uint8_t>(block)};
  Walk(cursor, policy);
  return block;
}

template <class Policy, class Block>
Policy UnpackAny(const Block& block) {
  Policy policy;
  Cursor<false> cursor{std::span<const uint8_t>(block)};
  Walk(cursor, policy);
  return policy;
}

}  // namespace

PowerPolicyBlock Pack(const PowerPolicy& policy) {
  return PackAny<PowerPolicyBlock>(policy);
}
PowerPolicy Unpack(const PowerPolicyBlock& block) {
  return UnpackAny<PowerPolicy>(block);
}
ProcessorPolicyBlock Pack(const ProcessorPolicy& policy) {
  return PackAny<ProcessorPolicyBlock>(policy);
}
ProcessorPolicy Unpack(const ProcessorPolicyBlock& block) {
  return UnpackAny<ProcessorPolicy>(block);
}

}  // namespace pacetta::platform
