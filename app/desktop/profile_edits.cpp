#include "app/desktop/profile_edits.h"

#include <algorithm>

#include "app/desktop/pstate_steps.h"

namespace pacetta {

std::vector<int32_t> ListedStateRows(const PStateTable& table) {
  std::vector<int32_t> rows;
  for (int32_t i = 0; i < table.Count(); ++i) {
    if (table.IsUsable(i)) rows.push_back(i);
  }
  return rows;
}

bool ListsState(const ProfileHalf& half, int32_t row) {
  const int32_t last = std::min(half.lastState, kMaxStatesPerList - 1);
  return std::find(half.states.begin(), half.states.begin() + (last + 1), row) !=
         half.states.begin() + (last + 1);
}

bool ListsThrottle(const ProfileHalf& half, int32_t level) {
  const int32_t last = std::min(half.lastThrottle, kMaxThrottlesPerList - 1);
  return std::find(half.throttles.begin(), half.throttles.begin() + (last + 1), level) !=
         half.throttles.begin() + (last + 1);
}

void SetListedStates(ProfileHalf& half, std::vector<int32_t> rows, const PStateTable& table,
                     const CpuInfo& cpu) {
  std::erase_if(rows, [&table](int32_t row) { return !table.IsUsable(row) || row >= kMaxPStates; });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::stable_sort(rows.begin(), rows.end(), [&](int32_t a, int32_t b) {
    return RowSpeed(cpu, *table.Row(a)) < RowSpeed(cpu, *table.Row(b));
  });
  const size_t count = std::min(rows.size(), static_cast<size_t>(kMaxStatesPerList));
  std::copy_n(rows.begin(), count, half.states.begin());
  half.lastState = static_cast<int32_t>(count) - 1;
}

void SetListedThrottles(ProfileHalf& half, std::vector<int32_t> levels) {
  std::erase_if(
      levels, [](int32_t level) { return level < kLowestThrottleLevel || level > kNoThrottling; });
  std::sort(levels.begin(), levels.end());
  levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
  std::copy(levels.begin(), levels.end(), half.throttles.begin());
  half.lastThrottle = static_cast<int32_t>(levels.size()) - 1;
}

namespace {

bool SameHalf(const ProfileHalf& a, const ProfileHalf& b) {
  const auto sameList = [](const auto& x, int32_t xLast, const auto& y, int32_t yLast) {
    return xLast == yLast && std::equal(x.begin(), x.begin() + (xLast + 1), y.begin());
  };
  return a.useFidVid == b.useFidVid && a.useThrottle == b.useThrottle &&
         a.targetLoad == b.targetLoad && a.upIntervalMs == b.upIntervalMs &&
         a.downIntervalMs == b.downIntervalMs &&
         sameList(a.states, std::clamp(a.lastState, -1, kMaxStatesPerList - 1), b.states,
                  std::clamp(b.lastState, -1, kMaxStatesPerList - 1)) &&
         sameList(a.throttles, std::clamp(a.lastThrottle, -1, kMaxThrottlesPerList - 1),
                  b.throttles, std::clamp(b.lastThrottle, -1, kMaxThrottlesPerList - 1));
}

}  // namespace

bool SameCpuSettings(const Profile& a, const Profile& b) {
  return SameHalf(a.ac, b.ac) && SameHalf(a.dc, b.dc);
}

bool HoldsOneChoice(int32_t profileIndex) {
  return profileIndex == kPowerSavingProfile || profileIndex == kMaximalPerformanceProfile;
}

bool UsesLoadTargets(int32_t profileIndex) {
  return profileIndex >= kOnDemandProfile;
}

std::optional<std::string> ProfileNameFrom(std::string_view typed) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const size_t begin = typed.find_first_not_of(kBlanks);
  if (begin == std::string_view::npos) return std::nullopt;
  typed = typed.substr(begin, typed.find_last_not_of(kBlanks) - begin + 1);
  size_t length = std::min(typed.size(), kProfileNameSize);
  // Back over UTF-8 continuation bytes so that the cut falls between characters.
  if (length < typed.size()) {
    while (length > 0 && (static_cast<unsigned char>(typed[length]) & 0xC0) == 0x80) --length;
  }
  return std::string(typed.substr(0, length));
}

}  // namespace pacetta
