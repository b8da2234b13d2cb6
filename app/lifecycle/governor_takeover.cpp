#include "app/lifecycle/governor_takeover.h"

#include <algorithm>

namespace pacetta {
namespace {

bool Covers(const platform::FrequencyPolicy& policy, const std::vector<uint32_t>& cpus) {
  return std::any_of(policy.cpus.begin(), policy.cpus.end(), [&cpus](uint32_t cpu) {
    return std::find(cpus.begin(), cpus.end(), cpu) != cpus.end();
  });
}

bool Offers(const platform::FrequencyPolicy& policy, const std::string& governor) {
  return std::find(policy.governors.begin(), policy.governors.end(), governor) !=
         policy.governors.end();
}

}  // namespace

std::vector<platform::TakenGovernor> GovernorTakeover::PutBack(
    const std::vector<platform::TakenGovernor>& entries) {
  std::vector<platform::TakenGovernor> failed;
  for (const auto& entry : entries) {
    if (!kernel_.SetGovernor(entry.id, entry.governor)) failed.push_back(entry);
  }
  return failed;
}

void GovernorTakeover::RestoreLeftover() {
  const std::vector<platform::TakenGovernor> left = kernel_.TakenGovernors();
  if (left.empty()) return;
  std::vector<platform::TakenGovernor> due;
  for (const platform::FrequencyPolicy& policy : kernel_.Policies()) {
    if (policy.governor != kUserspace) continue;
    for (const auto& entry : left) {
      if (entry.id == policy.id) due.push_back(entry);
    }
  }
  // What cannot go back now stays recorded: the takeover below may still need it.
  kernel_.RecordTakenGovernors(PutBack(due));
}

std::optional<GovernorRefusal> GovernorTakeover::TakeOver(const std::vector<uint32_t>& cpus) {
  std::vector<platform::FrequencyPolicy> covering;
  for (platform::FrequencyPolicy& policy : kernel_.Policies()) {
    if (Covers(policy, cpus)) covering.push_back(std::move(policy));
  }
  for (const platform::FrequencyPolicy& policy : covering) {
    if (policy.governor != kUserspace && !Offers(policy, kUserspace)) {
      return GovernorRefusal{policy.id, policy.driver, policy.governor, true};
    }
  }
  // A governor left switched by a killed run that could not go back is kept as it was
  // recorded: `userspace` is not what the policy had before.
  std::vector<platform::TakenGovernor> recorded = kernel_.TakenGovernors();
  std::vector<platform::TakenGovernor> switching;
  for (const platform::FrequencyPolicy& policy : covering) {
    const auto earlier = std::find_if(recorded.begin(), recorded.end(),
                                      [&policy](const auto& e) { return e.id == policy.id; });
    if (earlier != recorded.end()) {
      switching.push_back(*earlier);
    } else if (policy.governor != kUserspace) {
      switching.push_back({policy.id, policy.governor});
    }
  }
  if (switching.empty()) return std::nullopt;
  // Recorded first: a run killed between the switch and the record would lose the old
  // governor. A record that cannot be written still leaves the orderly end to restore.
  kernel_.RecordTakenGovernors(switching);
  for (const auto& entry : switching) {
    const auto policy = std::find_if(covering.begin(), covering.end(),
                                     [&entry](const auto& p) { return p.id == entry.id; });
    if (policy->governor == kUserspace || kernel_.SetGovernor(entry.id, kUserspace)) {
      taken_.push_back(entry);
      continue;
    }
    Restore();
    return GovernorRefusal{policy->id, policy->driver, policy->governor, false};
  }
  return std::nullopt;
}

void GovernorTakeover::Restore() {
  if (taken_.empty()) return;
  const std::vector<platform::TakenGovernor> failed = PutBack(taken_);
  taken_.clear();
  kernel_.RecordTakenGovernors(failed);
}

}  // namespace pacetta
