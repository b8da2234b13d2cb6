#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

#include "cpu/cpu_info.h"
#include "engine/management/decision.h"
#include "engine/profiles/profile.h"

namespace pacetta::management {

// What the management threads read each period: the current half, its limits, and each
// processor's list positions. The main thread replaces all of it at once; a reader gets
// a consistent view (the half together with positions meant for it) without a lock.
//
// Each processor's positions travel in one 64-bit word with the generation of the
// publication that wrote them, so a decision made on an older half can never overwrite
// positions the main thread stored since: the store is a compare-and-exchange that fails
// once the word carries a newer generation.
class Publication {
 public:
  struct View {
    const ProfileHalf* half = nullptr;
    DecisionLimits limits;
    uint32_t generation = 0;
    ListPositions positions;
  };

  Publication();

  // Main thread: publishes `half` and gives every processor the positions `next`
  // computes from its present ones.
  void Publish(const ProfileHalf* half, DecisionLimits limits, unsigned processorCount,
               const std::function<ListPositions(unsigned k, ListPositions now)>& next);

  // Any thread: a consistent view for processor k.
  View Read(unsigned k) const;
  uint32_t Generation() const { return generation_.load(); }
  const ProfileHalf* Half() const { return half_.load(); }
  ListPositions Positions(unsigned k) const;

  // The deciding thread stores its decision for processor k; false (nothing stored)
  // when a newer publication replaced the positions `seen` was taken from.
  bool StoreDecision(unsigned k, const View& seen, ListPositions target);
  // The same for the secondary sibling of the deciding processor: stored only while the
  // sibling's positions belong to `generation`.
  bool StoreForSibling(unsigned sibling, uint32_t generation, ListPositions target);

 private:
  // Odd while the main thread is publishing.
  std::atomic<uint32_t> sequence_{0};
  std::atomic<uint32_t> generation_{0};
  std::atomic<const ProfileHalf*> half_{nullptr};
  std::atomic<int32_t> upLimit_{1};
  std::atomic<int32_t> downLimit_{1};
  std::array<std::atomic<uint64_t>, kMaxProcessors> positions_;
};

}  // namespace pacetta::management
