#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace pacetta::platform {

// The older generation's policies travel as the system's binary blocks: a scheme's
// user and machine policy (144 bytes) and its processor policy (156 bytes),
// little-endian, laid out as below.
inline constexpr size_t kPowerPolicySize = 144;
inline constexpr size_t kProcessorPolicySize = 156;
using PowerPolicyBlock = std::array<uint8_t, kPowerPolicySize>;
using ProcessorPolicyBlock = std::array<uint8_t, kProcessorPolicySize>;

// What the system does when a condition holds (idle, overheating).
struct PowerAction {
  uint32_t action = 0;  // 0 none, 2 sleep, 3 hibernate, ...
  uint32_t flags = 0;
  uint32_t eventCode = 0;
  bool operator==(const PowerAction&) const = default;
};

inline constexpr uint32_t kPowerActionSleep = 2;
inline constexpr uint32_t kPowerActionHibernate = 3;

// The user part (80 bytes) followed by the machine part (64 bytes). Time-outs are seconds.
struct PowerPolicy {
  // User part.
  uint32_t userRevision = 0;
  PowerAction idleAc, idleDc;
  uint32_t idleTimeoutAc = 0, idleTimeoutDc = 0;
  uint8_t idleSensitivityAc = 0, idleSensitivityDc = 0;
  uint8_t throttlePolicyAc = 0, throttlePolicyDc = 0;
  uint32_t maxSleepAc = 0, maxSleepDc = 0;
  uint32_t videoTimeoutAc = 0, videoTimeoutDc = 0;
  uint32_t spindownTimeoutAc = 0, spindownTimeoutDc = 0;
  uint8_t optimizeForPowerAc = 0, optimizeForPowerDc = 0;
  uint8_t fanThrottleToleranceAc = 0, fanThrottleToleranceDc = 0;
  uint8_t forcedThrottleAc = 0, forcedThrottleDc = 0;
  // Machine part.
  uint32_t machineRevision = 0;
  uint32_t minSleepAc = 0, minSleepDc = 0;
  uint32_t reducedLatencySleepAc = 0, reducedLatencySleepDc = 0;
  uint32_t dozeTimeoutAc = 0, dozeTimeoutDc = 0;
  uint32_t dozeS4TimeoutAc = 0, dozeS4TimeoutDc = 0;
  uint8_t minThrottleAc = 0, minThrottleDc = 0;
  PowerAction overThrottledAc, overThrottledDc;

  bool operator==(const PowerPolicy&) const = default;
};

// One step of the system's own processor throttling (20 bytes).
struct ProcessorPolicyStep {
  uint32_t timeCheck = 0;
  uint32_t demoteLimit = 0;
  uint32_t promoteLimit = 0;
  uint8_t demotePercent = 0;
  uint8_t promotePercent = 0;
  bool allowDemotion = false;
  bool allowPromotion = false;
  bool operator==(const ProcessorPolicyStep&) const = default;
};

// The processor policy of one power source (76 bytes).
struct ProcessorSourcePolicy {
  uint32_t revision = 0;
  uint8_t dynamicThrottle = 0;  // 0 = the system does not throttle
  bool disableCStates = false;
  uint32_t policyCount = 0;
  std::array<ProcessorPolicyStep, 3> steps{};
  bool operator==(const ProcessorSourcePolicy&) const = default;
};

struct ProcessorPolicy {
  uint32_t revision = 0;
  ProcessorSourcePolicy ac, dc;
  bool operator==(const ProcessorPolicy&) const = default;
};

PowerPolicyBlock Pack(const PowerPolicy& policy);
PowerPolicy Unpack(const PowerPolicyBlock& block);
ProcessorPolicyBlock Pack(const ProcessorPolicy& policy);
ProcessorPolicy Unpack(const ProcessorPolicyBlock& block);

}  // namespace pacetta::platform
