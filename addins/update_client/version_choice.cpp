#include "addins/update_client/version_choice.h"

namespace pacetta::addins {

std::optional<OfferedUpdate> ChooseUpdate(std::span<const OfferedUpdate> offers, uint32_t current) {
  std::optional<OfferedUpdate> best;
  for (const OfferedUpdate& offer : offers) {
    const bool applies = offer.lowest <= current && current < offer.brings;
    if (applies && (!best || offer.brings > best->brings)) best = offer;
  }
  return best;
}

}  // namespace pacetta::addins
