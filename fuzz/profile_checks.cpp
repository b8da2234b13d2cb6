#include "fuzz/profile_checks.h"

#include <algorithm>

#include "fuzz/fuzz_support.h"

namespace pacetta::fuzz {
namespace {

void CheckHalf(const ProfileHalf& half, const PStateTable& table) {
  FUZZ_CHECK(half.lastState >= -1 && half.lastState < kMaxStatesPerList);
  FUZZ_CHECK(half.lastThrottle >= -1 && half.lastThrottle < kMaxThrottlesPerList);
  for (int32_t i = 0; i <= half.lastState; ++i) {
    FUZZ_CHECK(table.IsUsable(half.states[static_cast<size_t>(i)]));
  }
  for (int32_t i = 0; i <= half.lastThrottle; ++i) {
    const int32_t level = half.throttles[static_cast<size_t>(i)];
    FUZZ_CHECK(level >= kLowestThrottleLevel && level <= kNoThrottling);
  }
}

}  // namespace

void CheckProfileStore(const ProfileStore& store) {
  const PStateTable& table = store.Table();
  FUZZ_CHECK(table.lastIndex >= -1 && table.lastIndex < kMaxPStates);
  FUZZ_CHECK(store.Count() >= kFixedProfileCount);
  FUZZ_CHECK(store.Count() <= std::max(store.Room(), kFixedProfileCount));
  for (int32_t index = 0; index < store.Count(); ++index) {
    const Profile* profile = store.At(index);
    FUZZ_CHECK(profile != nullptr);
    CheckHalf(profile->ac, table);
    CheckHalf(profile->dc, table);
  }
  FUZZ_CHECK(store.At(store.Count()) == nullptr && store.At(-1) == nullptr);
}

void CheckSameSave(const ProfileStore& a, const ProfileStore& b) {
  const StoredProfileData first = a.Save();
  const StoredProfileData second = b.Save();
  FUZZ_CHECK(first.pstatesData == second.pstatesData);
  FUZZ_CHECK(first.profileData == second.profileData);
  FUZZ_CHECK(first.profileExtData == second.profileExtData);
}

}  // namespace pacetta::fuzz
