#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace pacetta::sim {

struct PhysicalRange {
  uint64_t address = 0;
  uint32_t length = 0;
};

// Physical memory as the simulated driver maps it: only the BIOS area is mappable, and
// each mapping is a private copy in this process, released by unmap or when the device
// object goes away.
class PhysicalMappings {
 public:
  static constexpr uint32_t kBiosBase = 0xF0000;

  explicit PhysicalMappings(const std::vector<uint8_t>& biosArea) : bios_(biosArea) {}

  // The two words of the mapping: the low and high halves of the copy's address.
  // Nullopt when the range is empty or leaves the BIOS area.
  std::optional<std::pair<uint32_t, uint32_t>> Map(uint32_t addressLow, uint32_t addressHigh,
                                                   uint32_t length);
  // False for a pair that names no mapping of this device.
  bool Unmap(uint32_t word0, uint32_t word1);
  // The physical range a mapping of this device shows; nullopt for a pair that names none.
  std::optional<PhysicalRange> Range(uint32_t word0, uint32_t word1) const;

 private:
  struct Copy {
    PhysicalRange range;
    std::vector<uint8_t> bytes;
  };

  const std::vector<uint8_t>& bios_;
  mutable std::mutex mutex_;
  std::map<uint64_t, Copy> copies_;  // keyed by the copy's address
};

}  // namespace pacetta::sim
