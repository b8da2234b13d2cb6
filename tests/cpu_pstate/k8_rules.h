#pragma once
// The K8's FID change rules, written out from the datasheet's gateway table on their own
// so that tests do not check the path code against itself.
#include <cstdint>
#include <cstdlib>

namespace pacetta::testing {

// High FIDs each low FID (0..7) changes to and from directly, with 100 MHz steps.
inline constexpr int32_t kGatewayLow[8] = {8, 8, 10, 12, 14, 16, 18, 20};
inline constexpr int32_t kGatewayHigh[8] = {10, 12, 14, 16, 18, 20, 22, 24};

inline bool InGateway(int32_t low, int32_t high, bool fine) {
  if (!fine && (low % 2 != 0 || high % 2 != 0)) return false;
  return high >= kGatewayLow[low] && high <= kGatewayHigh[low];
}

// Whether the K8 accepts a change from `from` to `to` as one write.
inline bool LegalHop(int32_t from, int32_t to, bool fine) {
  if (from == to || from < 0 || to < 0 || from > 42 || to > 42) return false;
  const bool fromLow = from < 8, toLow = to < 8;
  if (!fromLow && !toLow) return std::abs(from - to) <= 2;
  if (fromLow && toLow) return fine && std::abs(from - to) == 1;
  return fromLow ? InGateway(from, to, fine) : InGateway(to, from, fine);
}

}  // namespace pacetta::testing
