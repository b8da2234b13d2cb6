#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/batteries.h"

namespace pacetta::battery {

inline constexpr uint32_t kCapacityRingSize = 64;

// The text of a device field: up to its first zero, and never past its end, since a
// device may fill all 256 bytes.
std::string FieldText(const platform::BatteryText& field);

// One battery device as the monitor keeps it: its identity, its latest status and the
// ring of capacity samples the rate estimate looks back into.
struct BatterySlot {
  std::string path;
  std::string name;
  std::string manufacturer;
  std::string uniqueId;
  platform::BatteryInformation information;
  platform::BatteryManufactureDate manufactured;

  uint32_t powerState = 0;
  uint32_t voltage = 0;
  int32_t rate = platform::kBatteryRateUnknown;
  int32_t estimatedTime = -1;
  int32_t temperature = -1;
  std::array<uint32_t, kCapacityRingSize> ring{};
  uint32_t counter = 0;

  void TakeIdentity(const platform::BatteryIdentity& identity);
  // Advances the counter and stores the capacity at its position; a position that
  // still reads 0 means the ring was never filled, so every position takes the sample.
  void TakeStatus(const platform::BatteryStatus& status);
  // The device is gone: no name, no reported time.
  void Clear();

  uint32_t Newest() const { return ring[counter % kCapacityRingSize]; }
  // The sample `back` reads before the newest (back < 64).
  uint32_t Older(uint32_t back) const { return ring[(counter - back) % kCapacityRingSize]; }
};

}  // namespace pacetta::battery
