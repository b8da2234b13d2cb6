#pragma once
#include <cstdint>

#include "hw/portex_driver.h"

namespace pacetta {

// A range of physical memory mapped into the process for as long as the object lives,
// through the driver's map request. The driver answers two words: on this 64-bit build
// they are the low and high halves of the address at which the range is readable.
class CPhysicalMemory {
 public:
  // Maps [physicalAddress, physicalAddress + length). On failure nothing is mapped.
  CPhysicalMemory(CPortexDriver& driver, uint32_t physicalAddress, uint32_t length);
  // Unmaps when something is mapped and the driver is still open.
  virtual ~CPhysicalMemory();
  CPhysicalMemory(const CPhysicalMemory&) = delete;
  CPhysicalMemory& operator=(const CPhysicalMemory&) = delete;

  // Both words as one value; 0 = not mapped.
  uint64_t GetMapping() const { return uint64_t{words_[1]} << 32 | words_[0]; }
  bool IsMapped() const { return GetMapping() != 0; }
  // The mapped bytes, or null when nothing is mapped.
  const uint8_t* Data() const;
  // Bytes readable at Data(); 0 when nothing is mapped.
  uint32_t Size() const { return IsMapped() ? length_ : 0; }

 private:
  CPortexDriver& driver_;
  uint32_t length_ = 0;
  uint32_t words_[2] = {0, 0};
};

}  // namespace pacetta
