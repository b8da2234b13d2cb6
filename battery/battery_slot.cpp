#include "battery/battery_slot.h"

#include <algorithm>

namespace pacetta::battery {

std::string FieldText(const platform::BatteryText& field) {
  const auto end = std::find(field.begin(), field.end(), '\0');
  return std::string(field.begin(), end);
}

void BatterySlot::TakeIdentity(const platform::BatteryIdentity& identity) {
  name = FieldText(identity.name);
  manufacturer = FieldText(identity.manufacturer);
  uniqueId = FieldText(identity.uniqueId);
  information = identity.information;
  manufactured = identity.manufactured;
}

void BatterySlot::TakeStatus(const platform::BatteryStatus& status) {
  ++counter;
  const uint32_t position = counter % kCapacityRingSize;
  if (ring[position] == 0) {
    ring.fill(status.capacity);
  } else {
    ring[position] = status.capacity;
  }
  powerState = status.powerState;
  voltage = status.voltage;
  rate = status.rate;
  estimatedTime = status.estimatedTime;
  temperature = status.temperature;
}

void BatterySlot::Clear() {
  name.clear();
  estimatedTime = -1;
}

}  // namespace pacetta::battery
