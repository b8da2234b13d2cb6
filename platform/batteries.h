#pragma once
#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pacetta::platform {

// At most this many battery devices are listed; further ones are left out.
inline constexpr size_t kMaxBatteryDevices = 8;

// Power state bits of a battery's status.
inline constexpr uint32_t kBatteryPowerOnLine = 0x1;
inline constexpr uint32_t kBatteryDischarging = 0x2;
inline constexpr uint32_t kBatteryChargingState = 0x4;
inline constexpr uint32_t kBatteryCriticalState = 0x8;

// Capability bits of the battery information record.
inline constexpr uint32_t kBatteryCanRequestCharge = 0x1;
inline constexpr uint32_t kBatteryCanRequestDischarge = 0x2;
inline constexpr uint32_t kBatteryShortTerm = 0x20000000;
inline constexpr uint32_t kBatteryRelativeCapacity = 0x40000000;
inline constexpr uint32_t kBatterySystemBattery = 0x80000000;

// "Not known" values of the status record.
inline constexpr uint32_t kBatteryCapacityUnknown = 0xFFFFFFFF;
inline constexpr int32_t kBatteryRateUnknown = INT32_MIN;  // 0x80000000

// A text field as a battery device returns it: up to 256 bytes, terminated with a zero
// only when it is shorter.
using BatteryText = std::array<char, 256>;

// Capacities in mWh (or relative units with kBatteryRelativeCapacity).
struct BatteryInformation {
  uint32_t capabilities = 0;
  uint8_t technology = 0;  // 1 rechargeable, 0 primary cell
  std::array<char, 4> chemistry{};
  uint32_t designedCapacity = 0;
  uint32_t fullChargedCapacity = 0;
  uint32_t defaultAlert1 = 0;  // low battery
  uint32_t defaultAlert2 = 0;  // warning
  uint32_t criticalBias = 0;
  uint32_t cycleCount = 0;  // 0 not reported
};

struct BatteryManufactureDate {
  uint8_t day = 0;
  uint8_t month = 0;
  uint16_t year = 0;
};

// What a battery tells about itself once; a field it does not report stays empty/zero.
struct BatteryIdentity {
  BatteryText name{};
  BatteryInformation information;
  BatteryManufactureDate manufactured;
  BatteryText manufacturer{};
  BatteryText uniqueId{};
};

struct BatteryStatus {
  uint32_t powerState = 0;
  uint32_t capacity = kBatteryCapacityUnknown;
  uint32_t voltage = kBatteryCapacityUnknown;  // mV; 0 or 0xFFFFFFFF unknown
  int32_t rate = kBatteryRateUnknown;          // mW, negative while discharging
  int32_t estimatedTime = -1;                  // seconds; 0 or -1 not reported
  int32_t temperature = -1;                    // tenths of a kelvin; 0 or -1 not reported
};

class BatteryListener {
 public:
  virtual ~BatteryListener() = default;
  // A battery was inserted or removed. Called on a platform thread, one at a time.
  virtual void OnBatteryDevicesChanged() = 0;
};

// Notices reach the listener while the subscription lives; destroying it waits for a
// delivery in progress on another thread.
class BatterySubscription {
 public:
  virtual ~BatterySubscription() = default;
};

// The machine's battery devices, each named by a path that stays valid while the
// device is present.
class Batteries {
 public:
  virtual ~Batteries() = default;
  // The present batteries in a stable order, at most kMaxBatteryDevices; empty when
  // they cannot be listed.
  virtual std::vector<std::string> Enumerate() = 0;
  // Nullopt when the device cannot be read (removed meanwhile).
  virtual std::optional<BatteryIdentity> Information(const std::string& path) = 0;
  virtual std::optional<BatteryStatus> Status(const std::string& path) = 0;
  // Only devices with the matching capability bit accept these.
  virtual bool RequestCharge(const std::string& path) = 0;
  virtual bool RequestDischarge(const std::string& path) = 0;
  // `listener` must outlive the returned subscription.
  virtual std::unique_ptr<BatterySubscription> Subscribe(BatteryListener& listener) = 0;
};

// Copies `text` into a device text field, cut to fit.
inline BatteryText MakeBatteryText(const std::string& text) {
  BatteryText field{};
  for (size_t i = 0; i < text.size() && i < field.size(); ++i) field[i] = text[i];
  return field;
}

}  // namespace pacetta::platform
