#include "platform/sim/os_power/sim_os_power.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#include "platform/plan_guid.h"
#include "platform/sim/os_power/sim_plan_names.h"

namespace pacetta::sim {

using platform::kPowerErrorAccessDenied;
using platform::kPowerErrorFileNotFound;
using platform::kPowerErrorInvalidParameter;
using platform::kPowerErrorNoMoreItems;
using platform::PanelLevels;
using platform::PlanGuid;
using platform::PowerAnswer;
using platform::PowerCall;

struct SimOsPower::Core {
  explicit Core(SimOsPowerOptions o) : options(std::move(o)) { Load(); }

  void Load() {
    if (!options.stateFile.empty()) {
      std::ifstream in(options.stateFile);
      std::stringstream text;
      text << in.rdbuf();
      if (auto stored = StateFromText(text.str())) {
        state = std::move(*stored);
        return;
      }
    }
    // A missing or damaged file: a freshly installed system.
    state = DefaultOsPowerState(options.osMajorVersion);
    Save();
  }

  // Written beside and renamed over the state, so another process reads the old or the
  // new state, never a torn one.
  void Save() {
    if (options.stateFile.empty()) return;
    const std::filesystem::path path(options.stateFile);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    const std::filesystem::path temporary = path.string() + ".new";
    {
      std::ofstream out(temporary, std::ios::trunc);
      out << StateToText(state);
      if (!out.flush()) return;
    }
    std::filesystem::rename(temporary, path, error);
  }

  std::optional<uint32_t> Fault(std::string_view name) const {
    const auto found = options.faults.find(name);
    if (found == options.faults.end()) return std::nullopt;
    return found->second;
  }

  SimScheme* Scheme(uint32_t index) {
    auto found = std::find_if(state.schemes.begin(), state.schemes.end(),
                              [index](const SimScheme& s) { return s.index == index; });
    return found == state.schemes.end() ? nullptr : &*found;
  }
  SimPlan* Plan(const PlanGuid& guid) {
    auto found = std::find_if(state.plans.begin(), state.plans.end(),
                              [&guid](const SimPlan& p) { return p.guid == guid; });
    return found == state.plans.end() ? nullptr : &*found;
  }

  std::mutex mutex;
  SimOsPowerOptions options;
  SimOsPowerState state;
};

namespace {

// Every call takes the lock and answers the injected failure before anything else.
#define SIM_POWER_CALL(name, Result) \
  std::lock_guard lock(core_.mutex); \
  if (const auto fault = core_.Fault(name)) return Result::Error(*fault)

class SimLegacySchemes final : public platform::LegacyPowerSchemes {
 public:
  explicit SimLegacySchemes(SimOsPower::Core& core) : core_(core) {}

  PowerAnswer<std::vector<platform::LegacyScheme>> Enumerate() override {
    SIM_POWER_CALL("legacy.enumerate", PowerAnswer<std::vector<platform::LegacyScheme>>);
    std::vector<platform::LegacyScheme> schemes;
    for (const SimScheme& s : core_.state.schemes)
      schemes.push_back({s.index, s.name, s.description});
    return PowerAnswer<std::vector<platform::LegacyScheme>>::Of(std::move(schemes));
  }
  PowerAnswer<uint32_t> Active() override {
    SIM_POWER_CALL("legacy.active", PowerAnswer<uint32_t>);
    return PowerAnswer<uint32_t>::Of(core_.state.activeScheme);
  }
  PowerAnswer<platform::PowerPolicyBlock> Read(uint32_t index) override {
    SIM_POWER_CALL("legacy.read", PowerAnswer<platform::PowerPolicyBlock>);
    const SimScheme* scheme = core_.Scheme(index);
    if (!scheme) return PowerAnswer<platform::PowerPolicyBlock>::Error(kPowerErrorFileNotFound);
    return PowerAnswer<platform::PowerPolicyBlock>::Of(scheme->policy);
  }
  PowerAnswer<platform::ProcessorPolicyBlock> ReadProcessor(uint32_t index) override {
    SIM_POWER_CALL("legacy.read-processor", PowerAnswer<platform::ProcessorPolicyBlock>);
    const SimScheme* scheme = core_.Scheme(index);
    if (!scheme) return PowerAnswer<platform::ProcessorPolicyBlock>::Error(kPowerErrorFileNotFound);
    return PowerAnswer<platform::ProcessorPolicyBlock>::Of(scheme->processor);
  }
  PowerCall Write(uint32_t index, const std::string& name, const std::string& description,
                  const platform::PowerPolicyBlock& policy) override {
    SIM_POWER_CALL("legacy.write", PowerCall);
    SimScheme* scheme = core_.Scheme(index);
    if (!scheme) {
      // A new scheme starts with the processor policy of the active one.
      const SimScheme* active = core_.Scheme(core_.state.activeScheme);
      core_.state.schemes.push_back(
          {index, {}, {}, {}, active ? active->processor : platform::ProcessorPolicyBlock{}});
      scheme = &core_.state.schemes.back();
    }
    scheme->name = name;
    scheme->description = description;
    scheme->policy = policy;
    core_.Save();
    return PowerCall::Ok();
  }
  PowerCall WriteProcessor(uint32_t index, const platform::ProcessorPolicyBlock& policy) override {
    SIM_POWER_CALL("legacy.write-processor", PowerCall);
    SimScheme* scheme = core_.Scheme(index);
    if (!scheme) return PowerCall::Error(kPowerErrorFileNotFound);
    scheme->processor = policy;
    core_.Save();
    return PowerCall::Ok();
  }
  PowerCall SetActive(uint32_t index, const platform::PowerPolicyBlock* policy) override {
    SIM_POWER_CALL("legacy.set-active", PowerCall);
    SimScheme* scheme = core_.Scheme(index);
    if (!scheme) return PowerCall::Error(kPowerErrorFileNotFound);
    if (policy) scheme->policy = *policy;
    core_.state.activeScheme = index;
    core_.Save();
    return PowerCall::Ok();
  }
  PowerCall Delete(uint32_t index) override {
    SIM_POWER_CALL("legacy.delete", PowerCall);
    if (!core_.Scheme(index)) return PowerCall::Error(kPowerErrorFileNotFound);
    // The system keeps the scheme in force.
    if (index == core_.state.activeScheme) return PowerCall::Error(kPowerErrorAccessDenied);
    std::erase_if(core_.state.schemes, [index](const SimScheme& s) { return s.index == index; });
    core_.Save();
    return PowerCall::Ok();
  }
  bool SuspendAllowed() override {
    std::lock_guard lock(core_.mutex);
    return !core_.Fault("legacy.suspend-allowed");
  }
  bool HibernateAllowed() override {
    std::lock_guard lock(core_.mutex);
    return !core_.Fault("legacy.hibernate-allowed");
  }

 private:
  SimOsPower::Core& core_;
};

PlanGuid NewGuid() {
  std::random_device random;
  PlanGuid guid{};
  for (uint8_t& byte : guid) byte = static_cast<uint8_t>(random());
  guid[7] = static_cast<uint8_t>((guid[7] & 0x0F) | 0x40);  // version 4, random
  guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);
  return guid;
}

std::string KeyOf(const platform::PlanSettingId& id) {
  return platform::FormatPlanGuid(id.subgroup) + "/" + platform::FormatPlanGuid(id.setting);
}

class SimPowerPlans final : public platform::PowerPlans {
 public:
  explicit SimPowerPlans(SimOsPower::Core& core) : core_(core) {}

  PowerAnswer<PlanGuid> EnumeratePlan(uint32_t index) override {
    SIM_POWER_CALL("plans.enumerate", PowerAnswer<PlanGuid>);
    if (index >= core_.state.plans.size())
      return PowerAnswer<PlanGuid>::Error(kPowerErrorNoMoreItems);
    return PowerAnswer<PlanGuid>::Of(core_.state.plans[index].guid);
  }
  PowerAnswer<std::string> FriendlyName(const PlanGuid& guid) override {
    SIM_POWER_CALL("plans.name", PowerAnswer<std::string>);
    const SimPlan* plan = core_.Plan(guid);
    if (!plan) return PowerAnswer<std::string>::Error(kPowerErrorFileNotFound);
    return PowerAnswer<std::string>::Of(plan->name);
  }
  PowerAnswer<std::string> Description(const PlanGuid& guid) override {
    SIM_POWER_CALL("plans.description", PowerAnswer<std::string>);
    const SimPlan* plan = core_.Plan(guid);
    if (!plan) return PowerAnswer<std::string>::Error(kPowerErrorFileNotFound);
    return PowerAnswer<std::string>::Of(plan->description);
  }
  PowerAnswer<PlanGuid> ActivePlan() override {
    SIM_POWER_CALL("plans.active", PowerAnswer<PlanGuid>);
    return PowerAnswer<PlanGuid>::Of(core_.state.activePlan);
  }
  PowerAnswer<uint32_t> ReadValue(const PlanGuid& guid, const platform::PlanSettingId& setting,
                                  platform::PlanValue which) override {
    SIM_POWER_CALL("plans.read", PowerAnswer<uint32_t>);
    const SimPlan* plan = core_.Plan(guid);
    if (!plan) return PowerAnswer<uint32_t>::Error(kPowerErrorFileNotFound);
    const auto found = plan->values.find(KeyOf(setting));
    if (found == plan->values.end()) return PowerAnswer<uint32_t>::Of(0);
    return PowerAnswer<uint32_t>::Of(found->second[static_cast<size_t>(which)]);
  }
  PowerCall WriteValue(const PlanGuid& guid, const platform::PlanSettingId& setting,
                       platform::PlanValue which, uint32_t value) override {
    SIM_POWER_CALL("plans.write", PowerCall);
    SimPlan* plan = core_.Plan(guid);
    if (!plan) return PowerCall::Error(kPowerErrorFileNotFound);
    plan->values[KeyOf(setting)][static_cast<size_t>(which)] = value;
    core_.Save();
    return PowerCall::Ok();
  }
  PowerAnswer<PlanGuid> Duplicate(const PlanGuid& source) override {
    SIM_POWER_CALL("plans.duplicate", PowerAnswer<PlanGuid>);
    const SimPlan* plan = core_.Plan(source);
    if (!plan) return PowerAnswer<PlanGuid>::Error(kPowerErrorFileNotFound);
    SimPlan copy = *plan;
    copy.guid = NewGuid();
    core_.state.plans.push_back(copy);
    core_.Save();
    return PowerAnswer<PlanGuid>::Of(copy.guid);
  }
  PowerCall WriteFriendlyName(const PlanGuid& guid, const std::string& name) override {
    SIM_POWER_CALL("plans.write-name", PowerCall);
    SimPlan* plan = core_.Plan(guid);
    if (!plan) return PowerCall::Error(kPowerErrorFileNotFound);
    plan->name = name;
    core_.Save();
    return PowerCall::Ok();
  }
  PowerCall WriteDescription(const PlanGuid& guid, const std::string& description) override {
    SIM_POWER_CALL("plans.write-description", PowerCall);
    SimPlan* plan = core_.Plan(guid);
    if (!plan) return PowerCall::Error(kPowerErrorFileNotFound);
    plan->description = description;
    core_.Save();
    return PowerCall::Ok();
  }
  PowerCall SetActivePlan(const PlanGuid& guid) override {
    SIM_POWER_CALL("plans.set-active", PowerCall);
    if (!core_.Plan(guid)) return PowerCall::Error(kPowerErrorFileNotFound);
    core_.state.activePlan = guid;
    core_.Save();
    return PowerCall::Ok();
  }
  PowerCall DeletePlan(const PlanGuid& guid) override {
    SIM_POWER_CALL("plans.delete", PowerCall);
    if (!core_.Plan(guid)) return PowerCall::Error(kPowerErrorFileNotFound);
    if (guid == core_.state.activePlan) return PowerCall::Error(kPowerErrorAccessDenied);
    std::erase_if(core_.state.plans, [&guid](const SimPlan& p) { return p.guid == guid; });
    core_.Save();
    return PowerCall::Ok();
  }
  PowerAnswer<std::string> SubgroupName(const PlanGuid& subgroup) override {
    SIM_POWER_CALL("plans.describe", PowerAnswer<std::string>);
    const auto name = SimSubgroupName(subgroup);
    if (!name) return PowerAnswer<std::string>::Error(kPowerErrorFileNotFound);
    return PowerAnswer<std::string>::Of(*name);
  }
  PowerAnswer<platform::PlanSettingInfo> DescribeSetting(
      const platform::PlanSettingId& setting) override {
    SIM_POWER_CALL("plans.describe", PowerAnswer<platform::PlanSettingInfo>);
    auto info = SimSettingInfo(setting);
    if (!info) return PowerAnswer<platform::PlanSettingInfo>::Error(kPowerErrorFileNotFound);
    return PowerAnswer<platform::PlanSettingInfo>::Of(std::move(*info));
  }

 private:
  SimOsPower::Core& core_;
};

// A portable's panel answers the levels its firmware lists; a machine without one has
// no such device.
constexpr uint8_t kPanelLevels[] = {20, 30, 40, 50, 60, 70, 80, 90, 100};

class SimPanel final : public platform::PanelBrightness {
 public:
  explicit SimPanel(SimOsPower::Core& core) : core_(core) {}

  PowerAnswer<std::vector<uint8_t>> SupportedLevels() override {
    SIM_POWER_CALL("panel.supported", PowerAnswer<std::vector<uint8_t>>);
    if (!core_.options.panel)
      return PowerAnswer<std::vector<uint8_t>>::Error(kPowerErrorFileNotFound);
    return PowerAnswer<std::vector<uint8_t>>::Of(
        {std::begin(kPanelLevels), std::end(kPanelLevels)});
  }
  PowerAnswer<PanelLevels> Levels() override {
    SIM_POWER_CALL("panel.levels", PowerAnswer<PanelLevels>);
    if (!core_.options.panel) return PowerAnswer<PanelLevels>::Error(kPowerErrorFileNotFound);
    return PowerAnswer<PanelLevels>::Of(core_.state.panel);
  }
  PowerCall SetLevels(PanelLevels levels) override {
    SIM_POWER_CALL("panel.set", PowerCall);
    if (!core_.options.panel) return PowerCall::Error(kPowerErrorFileNotFound);
    const auto offered = [](uint8_t level) {
      return std::find(std::begin(kPanelLevels), std::end(kPanelLevels), level) !=
             std::end(kPanelLevels);
    };
    if (!offered(levels.ac) || !offered(levels.dc))
      return PowerCall::Error(kPowerErrorInvalidParameter);
    core_.state.panel = levels;
    core_.Save();
    return PowerCall::Ok();
  }

 private:
  SimOsPower::Core& core_;
};

#undef SIM_POWER_CALL

}  // namespace

struct SimOsPower::Faces {
  explicit Faces(Core& core) : legacy(core), plans(core), panel(core) {}
  SimLegacySchemes legacy;
  SimPowerPlans plans;
  SimPanel panel;
};

SimOsPower::SimOsPower(SimOsPowerOptions options)
    : core_(std::make_unique<Core>(std::move(options))), faces_(std::make_unique<Faces>(*core_)) {}

SimOsPower::~SimOsPower() = default;

platform::LegacyPowerSchemes* SimOsPower::Legacy() {
  return core_->options.osMajorVersion < 6 ? &faces_->legacy : nullptr;
}

platform::PowerPlans* SimOsPower::Plans() {
  return core_->options.osMajorVersion >= 6 ? &faces_->plans : nullptr;
}

platform::PanelBrightness& SimOsPower::Panel() {
  return faces_->panel;
}

SimOsPowerState SimOsPower::Truth() {
  std::lock_guard lock(core_->mutex);
  return core_->state;
}

void SimOsPower::Fail(const std::string& name, uint32_t systemError) {
  std::lock_guard lock(core_->mutex);
  core_->options.faults[name] = systemError;
}

void SimOsPower::SucceedAgain(const std::string& name) {
  std::lock_guard lock(core_->mutex);
  core_->options.faults.erase(name);
}

}  // namespace pacetta::sim
