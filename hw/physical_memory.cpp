#include "hw/physical_memory.h"

#include <array>

namespace pacetta {

CPhysicalMemory::CPhysicalMemory(CPortexDriver& driver, uint32_t physicalAddress, uint32_t length)
    : driver_(driver), length_(length) {
  platform::Device* device = driver_.GetHandle();
  if (device == nullptr) return;
  // Physical address low and high (always 0), length, one reserved word.
  const std::array<uint32_t, 4> in{physicalAddress, 0, length, 0};
  std::array<uint32_t, 2> out{};
  uint32_t returned = 0;
  if (device->Control(driver::kMapPhysicalMemory, in.data(), sizeof in, out.data(), sizeof out,
                      &returned)) {
    words_[0] = out[0];
    words_[1] = out[1];
  }
}

CPhysicalMemory::~CPhysicalMemory() {
  if (!IsMapped()) return;
  // A closed driver has released its mappings with its device.
  platform::Device* device = driver_.GetHandle();
  if (device == nullptr) return;
  uint32_t returned = 0;
  device->Control(driver::kUnmapPhysicalMemory, words_, sizeof words_, nullptr, 0, &returned);
}

const uint8_t* CPhysicalMemory::Data() const {
  if (!IsMapped()) return nullptr;
  return reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(GetMapping()));
}

}  // namespace pacetta
