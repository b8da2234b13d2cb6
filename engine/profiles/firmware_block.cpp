#include <algorithm>
#include <cstring>

#include "engine/profiles/default_list.h"
#include "engine/profiles/default_sources.h"

namespace pacetta {
namespace {

// The PowerNow! block begins with its signature on a paragraph boundary. Both layouts
// (K7 table version 1.2, K8 version 1.4) keep the first processor entry's state count at
// offset 23 and its FID/VID pairs from offset 24.
constexpr char kSignature[] = "AMDK7PNOW!";
constexpr size_t kSignatureSize = sizeof kSignature - 1;
constexpr size_t kParagraph = 16;
constexpr size_t kCountOffset = 23;
constexpr size_t kPairsOffset = 24;

}  // namespace

std::optional<std::vector<PState>> FindFirmwareStates(std::span<const uint8_t> firmware) {
  for (size_t at = 0; at + kPairsOffset <= firmware.size(); at += kParagraph) {
    if (std::memcmp(firmware.data() + at, kSignature, kSignatureSize) != 0) continue;
    // Only whole pairs inside the copy, and no more than the list holds.
    const size_t room = (firmware.size() - at - kPairsOffset) / 2;
    const size_t count = std::min({size_t{firmware[at + kCountOffset]}, room, kMaxDefaultStates});
    std::vector<PState> states;
    states.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      const size_t pair = at + kPairsOffset + 2 * i;
      states.push_back(DefaultEntry(firmware[pair], firmware[pair + 1]));
    }
    return states;
  }
  return std::nullopt;
}

}  // namespace pacetta
