#include "cpu/pstate/k8_fid_path.h"

#include <algorithm>
#include <cstdlib>

#include "cpu/pstate/k8_fid_table.h"

namespace pacetta::k8 {

namespace {

bool IsLow(int32_t fid) {
  return fid < kFirstHighFid;
}

bool IsCode(int32_t fid) {
  return fid >= 0 && fid < kFidCodeCount;
}

int32_t TowardsBy(int32_t from, int32_t to, int32_t most) {
  return from < to ? std::min(from + most, to) : std::max(from - most, to);
}

// Between two even low FIDs the way leads through the gateway of the current one.
int32_t EvenLowToLow(int32_t current, int32_t target) {
  switch (current) {
    case 0:
      return 10;
    case 2:
      return target == 0 ? 10 : 14;
    case 4:
      return 14;
    default:
      return 18;
  }
}

}  // namespace

std::optional<GatewaySet> Gateway(int32_t lowFid) {
  if (lowFid < 0 || !IsLow(lowFid)) return std::nullopt;
  // Low FID L reaches 2L + 6 .. 2L + 10, never below the first high FID: 0 -> 8..10,
  // 1 -> 8..12, 2 -> 10..14, ... 7 -> 20..24.
  return GatewaySet{std::max(kFirstHighFid, 2 * lowFid + 6), 2 * lowFid + 10};
}

int32_t NextFid(int32_t current, int32_t target, bool fineSteps) {
  if (!IsCode(current) || !IsCode(target)) return -1;
  if (current == target) return target;
  // An odd low FID has no even gateway; such a code moves as with 100 MHz steps.
  if ((IsLow(current) && current % 2 != 0) || (IsLow(target) && target % 2 != 0)) {
    fineSteps = true;
  }
  if (!IsLow(current) && !IsLow(target)) return TowardsBy(current, target, 2);
  if (!IsLow(current)) {
    const GatewaySet set = *Gateway(target);
    if (current >= set.lowest && current <= set.highest) return target;
    if (current > set.highest) return std::max(set.highest, current - 2);
    return current + (fineSteps ? 1 : 2);
  }
  if (!IsLow(target)) {
    const GatewaySet set = *Gateway(current);
    return std::clamp(target, set.lowest, set.highest);
  }
  return fineSteps ? TowardsBy(current, target, 1) : EvenLowToLow(current, target);
}

FidTransitionTables::FidTransitionTables() {
  for (int32_t current = 0; current < kFidCodeCount; ++current) {
    for (int32_t target = 0; target < kFidCodeCount; ++target) {
      fine_[current][target] = static_cast<uint32_t>(NextFid(current, target, true));
    }
  }
  for (int32_t current = 0; current < kFidCodeCount / 2; ++current) {
    for (int32_t target = 0; target < kFidCodeCount / 2; ++target) {
      even_[current][target] = static_cast<uint32_t>(NextFid(2 * current, 2 * target, false) / 2);
    }
  }
}

}  // namespace pacetta::k8
