#include "platform/sim/os_power/sim_os_power_state.h"

#include <nlohmann/json.hpp>

#include "platform/plan_guid.h"

namespace pacetta::sim {
namespace {

using platform::PowerAction;
using platform::PowerPolicy;
using platform::ProcessorPolicy;

// The time-outs of a scheme, in seconds (0 = never), and its processor throttling
// (0 none, 2 degrade, 3 adaptive) per power source.
struct SchemeRecipe {
  const char* name;
  const char* description;
  uint32_t monitor[2];
  uint32_t disks[2];
  uint32_t standby[2];
  uint32_t hibernate[2];
  uint8_t throttle[2];
};

constexpr SchemeRecipe kSchemes[] = {
    {"Home/Office Desk",
     "For a computer that stays plugged in at a desk.",
     {1200, 300},
     {0, 600},
     {0, 1200},
     {0, 10800},
     {0, 3}},
    {"Portable/Laptop",
     "For a portable computer that often runs on its batteries.",
     {900, 300},
     {1800, 300},
     {1200, 300},
     {10800, 7200},
     {3, 3}},
    {"Presentation",
     "Keeps the display on while presenting.",
     {0, 0},
     {0, 300},
     {0, 900},
     {0, 7200},
     {3, 2}},
    {"Always On",
     "Keeps the computer running at full speed.",
     {1200, 1200},
     {3600, 3600},
     {0, 0},
     {0, 0},
     {0, 0}},
    {"Minimal Power Management",
     "Turns off only the display and the disks.",
     {900, 900},
     {0, 900},
     {0, 0},
     {0, 0},
     {3, 3}},
    {"Max Battery",
     "Makes the batteries last as long as possible.",
     {900, 60},
     {0, 300},
     {1200, 120},
     {0, 3600},
     {3, 2}},
};

// Standby and hibernation share the idle action: sleep after the standby time-out and
// hibernate the rest of the way, or hibernate straight after its own time-out.
void SetSleep(PowerAction& idle, uint32_t& idleTimeout, uint32_t& s4Timeout, uint32_t standby,
              uint32_t hibernate) {
  if (standby != 0) {
    idle.action = platform::kPowerActionSleep;
    idleTimeout = standby;
    s4Timeout = hibernate != 0 ? hibernate - standby : 0;
  } else if (hibernate != 0) {
    idle.action = platform::kPowerActionHibernate;
    idleTimeout = hibernate;
  }
}

SimScheme SchemeOf(uint32_t index, const SchemeRecipe& recipe) {
  PowerPolicy p;
  p.userRevision = 1;
  p.idleSensitivityAc = p.idleSensitivityDc = 50;
  p.maxSleepAc = p.maxSleepDc = 4;
  p.videoTimeoutAc = recipe.monitor[0];
  p.videoTimeoutDc = recipe.monitor[1];
  p.spindownTimeoutAc = recipe.disks[0];
  p.spindownTimeoutDc = recipe.disks[1];
  SetSleep(p.idleAc, p.idleTimeoutAc, p.dozeS4TimeoutAc, recipe.standby[0], recipe.hibernate[0]);
  SetSleep(p.idleDc, p.idleTimeoutDc, p.dozeS4TimeoutDc, recipe.standby[1], recipe.hibernate[1]);
  p.optimizeForPowerAc = p.optimizeForPowerDc = 1;
  p.fanThrottleToleranceAc = p.fanThrottleToleranceDc = 100;
  p.forcedThrottleAc = p.forcedThrottleDc = 100;
  p.machineRevision = 1;
  p.minSleepAc = p.minSleepDc = p.reducedLatencySleepAc = p.reducedLatencySleepDc = 2;
  p.overThrottledAc = p.overThrottledDc = PowerAction{2, 0xC0000004, 0};

  ProcessorPolicy processor;
  processor.revision = 1;
  for (int source = 0; source < 2; ++source) {
    auto& half = source == 0 ? processor.ac : processor.dc;
    half.revision = 1;
    half.dynamicThrottle = recipe.throttle[source];
    half.policyCount = 3;
    for (uint8_t step = 0; step < 3; ++step) {
      half.steps[step] = {100000,
                          100000,
                          100000,
                          static_cast<uint8_t>(20 + 10 * step),
                          static_cast<uint8_t>(40 + 20 * step),
                          step != 0,
                          step != 2};
    }
  }
  return {index, recipe.name, recipe.description, platform::Pack(p), platform::Pack(processor)};
}

struct ModelledSetting {
  const char* key;        // "subgroup/setting"
  uint32_t values[3][2];  // per plan (balanced, high performance, power saver): AC, DC
};

constexpr ModelledSetting kPlanSettings[] = {
    // Turn off the display after (seconds).
    {"7516b95f-f776-4464-8c53-06167f40cc99/3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e",
     {{1200, 300}, {1200, 600}, {1200, 180}}},
    // Turn off the hard disks after (seconds).
    {"0012ee47-9041-4b5d-9b77-535fba8b1442/6738e2c4-e8a5-4a42-b16a-e040e769756e",
     {{1200, 600}, {1200, 1200}, {1200, 300}}},
    // Sleep after (seconds).
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20/29f6c1db-86da-48c5-9fdb-f2b67b1f44da",
     {{3600, 900}, {0, 3600}, {3600, 900}}},
    // Hibernate after (seconds).
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20/9d7815a6-7ee4-497e-8888-515a05f02364",
     {{0, 0}, {0, 0}, {0, 10800}}},
    // The processor's minimum and maximum state (percent).
    {"54533251-82be-4824-96c1-47b60b740d00/893dee8e-2bef-41e0-89c6-b55d0929964c",
     {{5, 5}, {100, 100}, {5, 5}}},
    {"54533251-82be-4824-96c1-47b60b740d00/bc5038f7-23e0-4960-96da-33abaf5935ec",
     {{100, 100}, {100, 100}, {100, 50}}},
};

struct PlanRecipe {
  const char* guid;
  const char* name;
  const char* description;
};

constexpr PlanRecipe kPlans[] = {
    {"381b4222-f694-41f0-9685-ff5bb260df2e", "Balanced",
     "Balances performance and energy use on capable hardware."},
    {"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", "High performance",
     "Favours performance, which may use more energy."},
    {"a1841308-3541-4fab-bc81-f71556f20b4a", "Power saver",
     "Saves energy by reducing the computer's performance where possible."},
};

std::string Hex(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

template <size_t N>
bool FromHex(const std::string& text, std::array<uint8_t, N>& out) {
  if (text.size() != 2 * N) return false;
  for (size_t i = 0; i < N; ++i) {
    unsigned value = 0;
    for (size_t d = 0; d < 2; ++d) {
      const char c = text[2 * i + d];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    out[i] = static_cast<uint8_t>(value);
  }
  return true;
}

}  // namespace

SimOsPowerState DefaultOsPowerState(uint32_t osMajorVersion) {
  SimOsPowerState state;
  if (osMajorVersion < 6) {
    for (uint32_t i = 0; i < std::size(kSchemes); ++i)
      state.schemes.push_back(SchemeOf(i, kSchemes[i]));
    state.activeScheme = 0;
    return state;
  }
  for (size_t p = 0; p < std::size(kPlans); ++p) {
    SimPlan plan;
    plan.guid = *platform::ParsePlanGuid(kPlans[p].guid);
    plan.name = kPlans[p].name;
    plan.description = kPlans[p].description;
    for (const auto& setting : kPlanSettings) {
      const uint32_t ac = setting.values[p][0];
      const uint32_t dc = setting.values[p][1];
      plan.values[setting.key] = {ac, dc, ac, dc};
    }
    state.plans.push_back(std::move(plan));
  }
  state.activePlan = state.plans.front().guid;
  return state;
}

std::string StateToText(const SimOsPowerState& state) {
  nlohmann::json json;
  json["schemes"] = nlohmann::json::array();
  for (const SimScheme& s : state.schemes) {
    json["schemes"].push_back({{"index", s.index},
                               {"name", s.name},
                               {"description", s.description},
                               {"policy", Hex(s.policy)},
                               {"processor", Hex(s.processor)}});
  }
  json["activeScheme"] = state.activeScheme;
  json["plans"] = nlohmann::json::array();
  for (const SimPlan& p : state.plans) {
    nlohmann::json values = nlohmann::json::object();
    for (const auto& [key, four] : p.values) values[key] = four;
    json["plans"].push_back({{"guid", platform::FormatPlanGuid(p.guid)},
                             {"name", p.name},
                             {"description", p.description},
                             {"values", values}});
  }
  json["activePlan"] = platform::FormatPlanGuid(state.activePlan);
  json["panel"] = {state.panel.ac, state.panel.dc};
  return json.dump(1);
}

std::optional<SimOsPowerState> StateFromText(const std::string& text) {
  try {
    const nlohmann::json json = nlohmann::json::parse(text);
    SimOsPowerState state;
    for (const auto& s : json.at("schemes")) {
      SimScheme scheme;
      scheme.index = s.at("index").get<uint32_t>();
      scheme.name = s.at("name").get<std::string>();
      scheme.description = s.at("description").get<std::string>();
      if (!FromHex(s.at("policy").get<std::string>(), scheme.policy) ||
          !FromHex(s.at("processor").get<std::string>(), scheme.processor)) {
        return std::nullopt;
      }
      state.schemes.push_back(std::move(scheme));
    }
    state.activeScheme = json.at("activeScheme").get<uint32_t>();
    for (const auto& p : json.at("plans")) {
      SimPlan plan;
      const auto guid = platform::ParsePlanGuid(p.at("guid").get<std::string>());
      if (!guid) return std::nullopt;
      plan.guid = *guid;
      plan.name = p.at("name").get<std::string>();
      plan.description = p.at("description").get<std::string>();
      for (const auto& [key, four] : p.at("values").items()) {
        plan.values[key] = four.get<SimPlanValues>();
      }
      state.plans.push_back(std::move(plan));
    }
    const auto active = platform::ParsePlanGuid(json.at("activePlan").get<std::string>());
    if (!active) return std::nullopt;
    state.activePlan = *active;
    const auto panel = json.at("panel").get<std::array<uint8_t, 2>>();
    state.panel = {panel[0], panel[1]};
    return state;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

}  // namespace pacetta::sim
