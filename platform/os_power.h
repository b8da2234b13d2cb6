#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/legacy_power_policy.h"

namespace pacetta::platform {

// The outcome of one call to the system's power policy. A failed call carries the
// system's error code, which may be 0 when the system gave none: only `failed` says
// whether the call worked.
struct PowerCall {
  bool failed = false;
  uint32_t systemError = 0;

  static PowerCall Ok() { return {}; }
  static PowerCall Error(uint32_t code) { return {true, code}; }
};

// A call that answers with a value, meaningful only when it did not fail.
template <class T>
struct PowerAnswer : PowerCall {
  T value{};

  static PowerAnswer Of(T answer) {
    PowerAnswer result;
    result.value = std::move(answer);
    return result;
  }
  static PowerAnswer Error(uint32_t code) {
    PowerAnswer result;
    result.failed = true;
    result.systemError = code;
    return result;
  }
};

// System error codes the backends report.
inline constexpr uint32_t kPowerErrorFileNotFound = 2;
inline constexpr uint32_t kPowerErrorAccessDenied = 5;
inline constexpr uint32_t kPowerErrorInvalidParameter = 87;
inline constexpr uint32_t kPowerErrorNoMoreItems = 259;

// A numbered scheme of the older generation.
struct LegacyScheme {
  uint32_t index = 0;
  std::string name;  // UTF-8
  std::string description;
};

// The older generation: numbered schemes whose policies are binary blocks.
class LegacyPowerSchemes {
 public:
  virtual ~LegacyPowerSchemes() = default;
  virtual PowerAnswer<std::vector<LegacyScheme>> Enumerate() = 0;
  virtual PowerAnswer<uint32_t> Active() = 0;
  virtual PowerAnswer<PowerPolicyBlock> Read(uint32_t index) = 0;
  virtual PowerAnswer<ProcessorPolicyBlock> ReadProcessor(uint32_t index) = 0;
  // Creates scheme `index` or replaces its names and policy.
  virtual PowerCall Write(uint32_t index, const std::string& name, const std::string& description,
                          const PowerPolicyBlock& policy) = 0;
  virtual PowerCall WriteProcessor(uint32_t index, const ProcessorPolicyBlock& policy) = 0;
  // Activates scheme `index`; with `policy`, that policy becomes the scheme's and is in
  // force at once.
  virtual PowerCall SetActive(uint32_t index, const PowerPolicyBlock* policy) = 0;
  virtual PowerCall Delete(uint32_t index) = 0;
  virtual bool SuspendAllowed() = 0;
  virtual bool HibernateAllowed() = 0;
};

using PlanGuid = std::array<uint8_t, 16>;

// Which of a setting's four values of a plan.
enum class PlanValue : uint8_t { kAc, kDc, kAcDefault, kDcDefault };

// A setting of the newer generation: its subgroup and its own identifier.
struct PlanSettingId {
  PlanGuid subgroup{};
  PlanGuid setting{};
  bool operator==(const PlanSettingId&) const = default;
};

// What the system tells of a setting: its name, and the unit and range of its values or,
// for a choice, the name of each possible value (value i names possibleValues[i]).
struct PlanSettingInfo {
  std::string name;
  std::string unit;
  uint32_t minimum = 0;
  uint32_t maximum = 0xFFFFFFFFu;
  std::vector<std::string> possibleValues;
};

// The newer generation: plans identified by GUIDs, settings as individual values.
class PowerPlans {
 public:
  virtual ~PowerPlans() = default;
  // The plan at `index` of the system's list; fails with kPowerErrorNoMoreItems past
  // its end.
  virtual PowerAnswer<PlanGuid> EnumeratePlan(uint32_t index) = 0;
  virtual PowerAnswer<std::string> FriendlyName(const PlanGuid& plan) = 0;
  virtual PowerAnswer<std::string> Description(const PlanGuid& plan) = 0;
  virtual PowerAnswer<PlanGuid> ActivePlan() = 0;
  virtual PowerAnswer<uint32_t> ReadValue(const PlanGuid& plan, const PlanSettingId& setting,
                                          PlanValue which) = 0;
  virtual PowerCall WriteValue(const PlanGuid& plan, const PlanSettingId& setting, PlanValue which,
                               uint32_t value) = 0;
  // A new plan with the settings and names of `source`; answers its GUID.
  virtual PowerAnswer<PlanGuid> Duplicate(const PlanGuid& source) = 0;
  virtual PowerCall WriteFriendlyName(const PlanGuid& plan, const std::string& name) = 0;
  virtual PowerCall WriteDescription(const PlanGuid& plan, const std::string& description) = 0;
  virtual PowerCall SetActivePlan(const PlanGuid& plan) = 0;
  virtual PowerCall DeletePlan(const PlanGuid& plan) = 0;
  // The names the system gives a subgroup and a setting, as its own pages show them.
  virtual PowerAnswer<std::string> SubgroupName(const PlanGuid& subgroup) = 0;
  virtual PowerAnswer<PlanSettingInfo> DescribeSetting(const PlanSettingId& setting) = 0;
};

// Brightness levels of the panel, 0-100, on AC power and on battery.
struct PanelLevels {
  uint8_t ac = 0;
  uint8_t dc = 0;
  bool operator==(const PanelLevels&) const = default;
};

// The built-in display panel's brightness. A machine without one fails every call.
class PanelBrightness {
 public:
  virtual ~PanelBrightness() = default;
  // The levels the panel offers, at most 256.
  virtual PowerAnswer<std::vector<uint8_t>> SupportedLevels() = 0;
  virtual PowerAnswer<PanelLevels> Levels() = 0;
  virtual PowerCall SetLevels(PanelLevels levels) = 0;
};

// The operating system's power policy: its schemes of one or both generations and the
// panel's brightness. A generation the system does not offer is null.
class OsPower {
 public:
  virtual ~OsPower() = default;
  virtual LegacyPowerSchemes* Legacy() = 0;
  virtual PowerPlans* Plans() = 0;
  virtual PanelBrightness& Panel() = 0;
};

}  // namespace pacetta::platform
