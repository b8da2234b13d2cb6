#pragma once
#include <array>
#include <cstdint>
#include <optional>

namespace pacetta::k8 {

// FID codes reach 6 bits in FIDVID_CTL; codes above 42 exist only as values to step
// away from.
inline constexpr int32_t kFidCodeCount = 64;

// The high FIDs (8 and above) a low FID may change to and from directly (BKDG for AMD
// NPT Family 0Fh, "FID transitions": low FIDs are reachable only through their
// gateway). With 200 MHz steps only the even members count, and odd low FIDs have none.
struct GatewaySet {
  int32_t lowest = 0;
  int32_t highest = 0;
};
std::optional<GatewaySet> Gateway(int32_t lowFid);

// The next FID on the way from `current` to `target` that the processor accepts
// directly: high FIDs move by at most 2 codes, a low FID is entered and left only
// through its gateway set. Equals `target` once that is one step away; -1 when either
// code is outside 0..63. Repeated application reaches the target within one step per
// FID code.
int32_t NextFid(int32_t current, int32_t target, bool fineSteps);

// The same path as fixed tables, for callers that look hops up by code: the next FID at
// [current][target] with 100 MHz steps, and the next FID / 2 at [current / 2]
// [target / 2] with 200 MHz steps. Both are filled from NextFid.
class FidTransitionTables {
 public:
  FidTransitionTables();

  uint32_t FineNext(uint32_t current, uint32_t target) const { return fine_[current][target]; }
  uint32_t EvenNextHalf(uint32_t currentHalf, uint32_t targetHalf) const {
    return even_[currentHalf][targetHalf];
  }

 private:
  std::array<std::array<uint32_t, kFidCodeCount>, kFidCodeCount> fine_{};
  std::array<std::array<uint32_t, kFidCodeCount / 2>, kFidCodeCount / 2> even_{};
};

}  // namespace pacetta::k8
