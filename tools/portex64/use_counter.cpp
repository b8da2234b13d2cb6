#include "tools/portex64/helper_context.h"

namespace pacetta::portex {
namespace {

// Far beyond any real number of program instances; keeps the count from wrapping.
constexpr uint32_t kMaxUsesPerConnection = 1u << 16;

}  // namespace

std::optional<uint32_t> UseCounter::Change(int32_t change, uint32_t& own) {
  const std::lock_guard lock(mutex_);
  if (change == 1) {
    if (own >= kMaxUsesPerConnection) return std::nullopt;
    ++own;
    ++count_;
  } else if (change == -1) {
    if (own == 0) return std::nullopt;  // not this connection's use to give back
    --own;
    --count_;
  } else if (change != 0) {
    return std::nullopt;
  }
  return count_;
}

void UseCounter::ReleaseAll(uint32_t& own) {
  const std::lock_guard lock(mutex_);
  count_ -= own;
  own = 0;
}

uint32_t UseCounter::Count() {
  const std::lock_guard lock(mutex_);
  return count_;
}

}  // namespace pacetta::portex
