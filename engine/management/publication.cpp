#include "engine/management/publication.h"

#include <thread>

namespace pacetta::management {
namespace {

// generation (32 bits) | state position (16 bits) | throttle position (16 bits);
// positions are -1..71, so 16 signed bits hold them.
uint64_t Pack(uint32_t generation, ListPositions positions) {
  return uint64_t{generation} << 32 |
         uint64_t{static_cast<uint16_t>(static_cast<int16_t>(positions.state))} << 16 |
         uint64_t{static_cast<uint16_t>(static_cast<int16_t>(positions.throttle))};
}

uint32_t GenerationOf(uint64_t word) {
  return static_cast<uint32_t>(word >> 32);
}

ListPositions PositionsOf(uint64_t word) {
  return {static_cast<int16_t>(static_cast<uint16_t>(word >> 16)),
          static_cast<int16_t>(static_cast<uint16_t>(word))};
}

}  // namespace

Publication::Publication() {
  for (auto& word : positions_) word.store(Pack(0, {}));
}

void Publication::Publish(const ProfileHalf* half, DecisionLimits limits, unsigned processorCount,
                          const std::function<ListPositions(unsigned, ListPositions)>& next) {
  sequence_.fetch_add(1);  // odd: readers wait
  const uint32_t generation = generation_.load() + 1;
  half_.store(half);
  upLimit_.store(limits.up);
  downLimit_.store(limits.down);
  for (unsigned k = 0; k < processorCount && k < kMaxProcessors; ++k) {
    const ListPositions now = PositionsOf(positions_[k].load());
    positions_[k].exchange(Pack(generation, next(k, now)));
  }
  generation_.store(generation);
  sequence_.fetch_add(1);
}

Publication::View Publication::Read(unsigned k) const {
  for (;;) {
    const uint32_t before = sequence_.load();
    if (before & 1) {
      std::this_thread::yield();  // a publication of a few stores is under way
      continue;
    }
    View view;
    view.half = half_.load();
    view.limits = {upLimit_.load(), downLimit_.load()};
    const uint64_t word = k < kMaxProcessors ? positions_[k].load() : Pack(generation_.load(), {});
    view.generation = GenerationOf(word);
    view.positions = PositionsOf(word);
    if (sequence_.load() == before) return view;
  }
}

ListPositions Publication::Positions(unsigned k) const {
  return k < kMaxProcessors ? PositionsOf(positions_[k].load()) : ListPositions{};
}

bool Publication::StoreDecision(unsigned k, const View& seen, ListPositions target) {
  if (k >= kMaxProcessors) return false;
  uint64_t expected = Pack(seen.generation, seen.positions);
  return positions_[k].compare_exchange_strong(expected, Pack(seen.generation, target));
}

bool Publication::StoreForSibling(unsigned sibling, uint32_t generation, ListPositions target) {
  if (sibling >= kMaxProcessors) return false;
  uint64_t word = positions_[sibling].load();
  while (GenerationOf(word) == generation) {
    if (positions_[sibling].compare_exchange_weak(word, Pack(generation, target))) return true;
  }
  return false;
}

}  // namespace pacetta::management
