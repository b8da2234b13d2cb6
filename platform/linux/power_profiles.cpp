#include "platform/linux/power_profiles.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/linux/name_uuid.h"
#include "platform/plan_guid.h"

namespace pacetta::linux_os {
namespace {

using platform::PlanGuid;
using platform::PowerAnswer;
using platform::PowerCall;

constexpr Uuid kProfileNamespace{0x42, 0x20, 0x8d, 0x3f, 0xce, 0x43, 0x48, 0xc0,
                                 0xa3, 0xa4, 0xdf, 0x92, 0x7e, 0x79, 0xa6, 0xe8};

// A failure while taking a reply apart: the daemon answered something else.
constexpr uint32_t kErrorBadReply = 13;  // the system's "invalid data"

// One profile's dictionary; the message stands inside the array of its entries.
std::optional<PowerProfile> ReadProfile(sd_bus_message* reply) {
  PowerProfile profile;
  std::string cpuDriver, platformDriver;
  int r = 0;
  while ((r = sd_bus_message_enter_container(reply, 'e', "sv")) > 0) {
    const char* key = nullptr;
    if (sd_bus_message_read(reply, "s", &key) < 0) return std::nullopt;
    std::string* target = nullptr;
    if (std::strcmp(key, "Profile") == 0) target = &profile.name;
    if (std::strcmp(key, "Driver") == 0) target = &profile.driver;
    if (std::strcmp(key, "CpuDriver") == 0) target = &cpuDriver;
    if (std::strcmp(key, "PlatformDriver") == 0) target = &platformDriver;
    const char* value = nullptr;
    if (target && sd_bus_message_read(reply, "v", "s", &value) >= 0) {
      *target = value;
    } else if (sd_bus_message_skip(reply, "v") < 0) {
      return std::nullopt;
    }
    if (sd_bus_message_exit_container(reply) < 0) return std::nullopt;
  }
  if (r < 0 || profile.name.empty()) return std::nullopt;
  // Newer daemons drive a profile with a processor and a platform driver and then say
  // "multiple"; name both instead.
  if (profile.driver.empty() || profile.driver == "multiple") {
    std::string both = platformDriver;
    if (!both.empty() && !cpuDriver.empty()) both += ", ";
    both += cpuDriver;
    if (!both.empty()) profile.driver = both;
  }
  return profile;
}

PowerAnswer<std::vector<PowerProfile>> ReadProfiles(SystemBus& bus, const BusObject& daemon) {
  using Answer = PowerAnswer<std::vector<PowerProfile>>;
  BusReply reply = bus.GetProperty(daemon, "Profiles");
  if (reply.Failed()) return Answer::Error(reply.systemError);
  sd_bus_message* m = reply.message.get();
  std::vector<PowerProfile> profiles;
  if (sd_bus_message_enter_container(m, 'v', "aa{sv}") <= 0 ||
      sd_bus_message_enter_container(m, 'a', "a{sv}") <= 0) {
    return Answer::Error(kErrorBadReply);
  }
  int r = 0;
  while ((r = sd_bus_message_enter_container(m, 'a', "{sv}")) > 0) {
    auto profile = ReadProfile(m);
    if (!profile || sd_bus_message_exit_container(m) < 0) return Answer::Error(kErrorBadReply);
    profiles.push_back(std::move(*profile));
  }
  if (r < 0) return Answer::Error(kErrorBadReply);
  return Answer::Of(std::move(profiles));
}

}  // namespace

PlanGuid ProfilePlanGuid(const std::string& name) {
  // The text form is the common ground between UUID byte order and the plans' layout.
  return platform::ParsePlanGuid(FormatUuid(NameUuid(kProfileNamespace, name)))
      .value_or(PlanGuid{});
}

std::string ProfileFriendlyName(const std::string& name) {
  std::string text = name;
  for (char& c : text) {
    if (c == '-' || c == '_') c = ' ';
  }
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

std::unique_ptr<PowerProfilePlans> PowerProfilePlans::Connect(std::vector<BusObject> names) {
  auto bus = SystemBus::Open();
  if (!bus) return nullptr;
  for (const BusObject& daemon : names) {
    if (!ReadProfiles(*bus, daemon).failed) {
      return std::make_unique<PowerProfilePlans>(std::move(bus), daemon);
    }
  }
  return nullptr;
}

PowerProfilePlans::PowerProfilePlans(std::unique_ptr<SystemBus> bus, BusObject daemon)
    : bus_(std::move(bus)), daemon_(daemon) {
  Refresh();
}

PowerCall PowerProfilePlans::Refresh() {
  auto read = ReadProfiles(*bus_, daemon_);
  if (read.failed) return PowerCall::Error(read.systemError);
  profiles_ = std::move(read.value);
  return PowerCall::Ok();
}

const PowerProfile* PowerProfilePlans::Find(const PlanGuid& plan) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    for (const PowerProfile& profile : profiles_) {
      if (ProfilePlanGuid(profile.name) == plan) return &profile;
    }
    if (attempt == 0 && Refresh().failed) break;
  }
  return nullptr;
}

PowerAnswer<PlanGuid> PowerProfilePlans::EnumeratePlan(uint32_t index) {
  // A listing starts at 0: the list is read then and stays the same for the rest of it.
  if (index == 0) {
    if (const PowerCall read = Refresh(); read.failed) {
      return PowerAnswer<PlanGuid>::Error(read.systemError);
    }
  }
  if (index >= profiles_.size())
    return PowerAnswer<PlanGuid>::Error(platform::kPowerErrorNoMoreItems);
  return PowerAnswer<PlanGuid>::Of(ProfilePlanGuid(profiles_[index].name));
}

PowerAnswer<std::string> PowerProfilePlans::FriendlyName(const PlanGuid& plan) {
  const PowerProfile* profile = Find(plan);
  if (!profile) return PowerAnswer<std::string>::Error(platform::kPowerErrorFileNotFound);
  return PowerAnswer<std::string>::Of(ProfileFriendlyName(profile->name));
}

PowerAnswer<std::string> PowerProfilePlans::Description(const PlanGuid& plan) {
  const PowerProfile* profile = Find(plan);
  if (!profile) return PowerAnswer<std::string>::Error(platform::kPowerErrorFileNotFound);
  return PowerAnswer<std::string>::Of(profile->driver);
}

PowerAnswer<PlanGuid> PowerProfilePlans::ActivePlan() {
  BusReply reply = bus_->GetProperty(daemon_, "ActiveProfile");
  if (reply.Failed()) return PowerAnswer<PlanGuid>::Error(reply.systemError);
  const char* name = nullptr;
  if (sd_bus_message_read(reply.message.get(), "v", "s", &name) < 0 || !name) {
    return PowerAnswer<PlanGuid>::Error(kErrorBadReply);
  }
  return PowerAnswer<PlanGuid>::Of(ProfilePlanGuid(name));
}

PowerCall PowerProfilePlans::SetActivePlan(const PlanGuid& plan) {
  const PowerProfile* profile = Find(plan);
  if (!profile) return PowerCall::Error(platform::kPowerErrorFileNotFound);
  BusReply reply = bus_->SetStringProperty(daemon_, "ActiveProfile", profile->name.c_str());
  if (reply.Failed()) return PowerCall::Error(reply.systemError);
  return PowerCall::Ok();
}

PowerAnswer<uint32_t> PowerProfilePlans::ReadValue(const PlanGuid&, const platform::PlanSettingId&,
                                                   platform::PlanValue) {
  return PowerAnswer<uint32_t>::Error(kPowerErrorNotSupported);
}

PowerCall PowerProfilePlans::WriteValue(const PlanGuid&, const platform::PlanSettingId&,
                                        platform::PlanValue, uint32_t) {
  return PowerCall::Error(kPowerErrorNotSupported);
}

PowerAnswer<PlanGuid> PowerProfilePlans::Duplicate(const PlanGuid&) {
  return PowerAnswer<PlanGuid>::Error(kPowerErrorNotSupported);
}

PowerCall PowerProfilePlans::WriteFriendlyName(const PlanGuid&, const std::string&) {
  return PowerCall::Error(kPowerErrorNotSupported);
}

PowerCall PowerProfilePlans::WriteDescription(const PlanGuid&, const std::string&) {
  return PowerCall::Error(kPowerErrorNotSupported);
}

PowerCall PowerProfilePlans::DeletePlan(const PlanGuid&) {
  return PowerCall::Error(kPowerErrorNotSupported);
}

PowerAnswer<std::string> PowerProfilePlans::SubgroupName(const PlanGuid&) {
  return PowerAnswer<std::string>::Error(kPowerErrorNotSupported);
}

PowerAnswer<platform::PlanSettingInfo> PowerProfilePlans::DescribeSetting(
    const platform::PlanSettingId&) {
  return PowerAnswer<platform::PlanSettingInfo>::Error(kPowerErrorNotSupported);
}

}  // namespace pacetta::linux_os
