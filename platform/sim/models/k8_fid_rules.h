#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace pacetta::sim {

// The FID changes a K8 accepts in one FID/VID control write (BKDG for AMD Athlon 64 and
// Opteron, 26094, "FID transition" rules; revision F guide 32559 for 100 MHz steps):
// - between two high FIDs (08h and above) at most 2 codes, i.e. 200 MHz;
// - between a low FID (below 08h) and a high one only when the high FID is in the low
//   FID's gateway set;
// - between two low FIDs only on a part with 100 MHz steps, one code at a time;
// - an odd FID only on a part with 100 MHz steps.
// Gives the reason a change from `from` to `to` is refused, or nothing when it is allowed.
std::optional<std::string> K8FidChangeRefusal(uint32_t from, uint32_t to, bool fineSteps);

// The gateway set of a low FID: the high FIDs from and to which it may be changed directly.
struct FidRange {
  uint32_t first;
  uint32_t last;
};
FidRange K8GatewaySet(uint32_t lowFid);

inline constexpr uint32_t kK8FirstHighFid = 8;

}  // namespace pacetta::sim
