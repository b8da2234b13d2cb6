#include "hw/firmware_copy.h"

#include "hw/physical_memory.h"

namespace pacetta {
namespace {

constexpr uint32_t kFirmwareBase = 0xF0000;
constexpr uint32_t kFirmwareSize = 0x10000;

}  // namespace

std::vector<uint8_t> CopyFirmwareArea(CPortexDriver& driver) {
  const CPhysicalMemory mapping(driver, kFirmwareBase, kFirmwareSize);
  if (mapping.Size() < kFirmwareSize) return {};
  const uint8_t* bytes = mapping.Data();
  return std::vector<uint8_t>(bytes, bytes + kFirmwareSize);
}

}  // namespace pacetta
