#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/system_bus.h"
#include "platform/os_power.h"

namespace pacetta::linux_os {

// The power-profiles daemon under its newer name and under its first one.
inline constexpr BusObject kUpowerProfiles{"org.freedesktop.UPower.PowerProfiles",
                                           "/org/freedesktop/UPower/PowerProfiles",
                                           "org.freedesktop.UPower.PowerProfiles"};
inline constexpr BusObject kHadessProfiles{"net.hadess.PowerProfiles", "/net/hadess/PowerProfiles",
                                           "net.hadess.PowerProfiles"};

// A call the daemon has no counterpart for: the system's "not supported".
inline constexpr uint32_t kPowerErrorNotSupported = 50;

struct PowerProfile {
  std::string name;    // "power-saver", "balanced", "performance"
  std::string driver;  // what carries it out, e.g. "platform_profile"
};

// A profile's plan GUID: the name-based UUID (version 5) of the profile's name in the
// program's own namespace 42208d3f-ce43-48c0-a3a4-df927e79a6e8, in the plans' memory
// layout. It depends on the name alone, so a profile record keeps naming the same
// profile across runs, daemons and machines.
platform::PlanGuid ProfilePlanGuid(const std::string& name);
// "power-saver" -> "Power saver".
std::string ProfileFriendlyName(const std::string& name);

// The daemon's power profiles as plans of the newer generation: each profile is a plan
// named after it and described by its driver; the active plan is the daemon's active
// profile. Profiles have no settings and cannot be copied, renamed or deleted: those
// calls fail with kPowerErrorNotSupported.
class PowerProfilePlans final : public platform::PowerPlans {
 public:
  // The daemon that answers under `names` first (tried in order) with its list of
  // profiles; null when none does or the bus cannot be reached.
  static std::unique_ptr<PowerProfilePlans> Connect(std::vector<BusObject> names = {
                                                        kUpowerProfiles, kHadessProfiles});
  PowerProfilePlans(std::unique_ptr<SystemBus> bus, BusObject daemon);

  platform::PowerAnswer<platform::PlanGuid> EnumeratePlan(uint32_t index) override;
  platform::PowerAnswer<std::string> FriendlyName(const platform::PlanGuid& plan) override;
  platform::PowerAnswer<std::string> Description(const platform::PlanGuid& plan) override;
  platform::PowerAnswer<platform::PlanGuid> ActivePlan() override;
  platform::PowerAnswer<uint32_t> ReadValue(const platform::PlanGuid& plan,
                                            const platform::PlanSettingId& setting,
                                            platform::PlanValue which) override;
  platform::PowerCall WriteValue(const platform::PlanGuid& plan,
                                 const platform::PlanSettingId& setting, platform::PlanValue which,
                                 uint32_t value) override;
  platform::PowerAnswer<platform::PlanGuid> Duplicate(const platform::PlanGuid& source) override;
  platform::PowerCall WriteFriendlyName(const platform::PlanGuid& plan,
                                        const std::string& name) override;
  platform::PowerCall WriteDescription(const platform::PlanGuid& plan,
                                       const std::string& description) override;
  platform::PowerCall SetActivePlan(const platform::PlanGuid& plan) override;
  platform::PowerCall DeletePlan(const platform::PlanGuid& plan) override;
  // The daemon's profiles carry no settings, so it names none.
  platform::PowerAnswer<std::string> SubgroupName(const platform::PlanGuid& subgroup) override;
  platform::PowerAnswer<platform::PlanSettingInfo> DescribeSetting(
      const platform::PlanSettingId& setting) override;

  // The daemon's list as last read.
  const std::vector<PowerProfile>& Profiles() const { return profiles_; }

 private:
  // Reads the list again; false (with the error) when the daemon does not answer.
  platform::PowerCall Refresh();
  // The profile of `plan`, reading the list again once when it is not known.
  const PowerProfile* Find(const platform::PlanGuid& plan);

  std::unique_ptr<SystemBus> bus_;
  BusObject daemon_;
  std::vector<PowerProfile> profiles_;
};

}  // namespace pacetta::linux_os
