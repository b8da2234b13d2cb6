#include "platform/sim/models/k8_fid_rules.h"

namespace pacetta::sim {
namespace {

// Gateway sets by low FID (100 MHz-step parts; a part with 200 MHz steps has only the even
// codes of each set).
constexpr FidRange kGateways[kK8FirstHighFid] = {
    {8, 10}, {8, 12}, {10, 14}, {12, 16}, {14, 18}, {16, 20}, {18, 22}, {20, 24},
};

std::string Move(uint32_t from, uint32_t to) {
  return "FID " + std::to_string(from) + " to " + std::to_string(to);
}

}  // namespace

FidRange K8GatewaySet(uint32_t lowFid) {
  return lowFid < kK8FirstHighFid ? kGateways[lowFid] : FidRange{lowFid, lowFid};
}

std::optional<std::string> K8FidChangeRefusal(uint32_t from, uint32_t to, bool fineSteps) {
  if (from == to) return std::nullopt;
  if (!fineSteps && to % 2 != 0) {
    return Move(from, to) + ": odd FIDs need 100 MHz steps, which this part lacks";
  }
  const bool fromHigh = from >= kK8FirstHighFid;
  const bool toHigh = to >= kK8FirstHighFid;
  if (fromHigh && toHigh) {
    const uint32_t distance = from > to ? from - to : to - from;
    if (distance > 2) return Move(from, to) + ": more than 200 MHz in one step";
    return std::nullopt;
  }
  if (fromHigh != toHigh) {
    const uint32_t low = fromHigh ? to : from;
    const uint32_t high = fromHigh ? from : to;
    const FidRange gateway = K8GatewaySet(low);
    if (high < gateway.first || high > gateway.last) {
      return Move(from, to) + ": outside the gateway set " + std::to_string(gateway.first) + ".." +
             std::to_string(gateway.last) + " of FID " + std::to_string(low);
    }
    return std::nullopt;
  }
  const uint32_t distance = from > to ? from - to : to - from;
  if (fineSteps && distance == 1) return std::nullopt;
  return Move(from, to) + ": low FIDs change only through their gateway sets";
}

}  // namespace pacetta::sim
