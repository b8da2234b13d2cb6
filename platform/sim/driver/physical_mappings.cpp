#include "platform/sim/driver/physical_mappings.h"

namespace pacetta::sim {

std::optional<std::pair<uint32_t, uint32_t>> PhysicalMappings::Map(uint32_t addressLow,
                                                                   uint32_t addressHigh,
                                                                   uint32_t length) {
  const uint64_t start = addressLow;
  const uint64_t end = start + length;
  if (addressHigh != 0 || length == 0 || start < kBiosBase || end > kBiosBase + bios_.size()) {
    return std::nullopt;
  }
  std::vector<uint8_t> copy(bios_.begin() + (start - kBiosBase), bios_.begin() + (end - kBiosBase));
  const auto address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(copy.data()));
  std::lock_guard lock(mutex_);
  copies_.emplace(address, Copy{{start, length}, std::move(copy)});
  return std::pair{static_cast<uint32_t>(address), static_cast<uint32_t>(address >> 32)};
}

bool PhysicalMappings::Unmap(uint32_t word0, uint32_t word1) {
  std::lock_guard lock(mutex_);
  return copies_.erase(uint64_t{word1} << 32 | word0) == 1;
}

std::optional<PhysicalRange> PhysicalMappings::Range(uint32_t word0, uint32_t word1) const {
  std::lock_guard lock(mutex_);
  const auto found = copies_.find(uint64_t{word1} << 32 | word0);
  if (found == copies_.end()) return std::nullopt;
  return found->second.range;
}

}  // namespace pacetta::sim
