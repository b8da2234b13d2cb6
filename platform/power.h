#pragma once
#include <cstdint>
#include <memory>
#include <optional>

namespace pacetta::platform {

// AC line status, as the power-status query reports it.
inline constexpr uint8_t kAcOffline = 0;
inline constexpr uint8_t kAcOnline = 1;
inline constexpr uint8_t kAcUnknown = 255;

// Battery flag bits. "No system battery" and "unknown" are whole values, not bits.
inline constexpr uint8_t kBatteryHigh = 0x01;      // above 66 %
inline constexpr uint8_t kBatteryLow = 0x02;       // below 33 %
inline constexpr uint8_t kBatteryCritical = 0x04;  // below 5 %
inline constexpr uint8_t kBatteryCharging = 0x08;
inline constexpr uint8_t kNoSystemBattery = 128;
inline constexpr uint8_t kBatteryUnknown = 255;

inline constexpr uint8_t kPercentUnknown = 255;

// The machine's global power status: where the power comes from and how much the
// batteries hold. Every field has its own "unknown" value.
struct PowerStatus {
  uint8_t acLine = kAcUnknown;
  uint8_t batteryFlag = kBatteryUnknown;
  uint8_t batteryPercent = kPercentUnknown;  // 0-100
  int32_t batteryLifeTime = -1;              // seconds left, -1 unknown
  int32_t fullBatteryLifeTime = -1;          // seconds a full charge lasts, -1 unknown

  bool operator==(const PowerStatus&) const = default;
};

// The battery flag of a charge level: high above 66 %, low below 33 %, critical also
// below 5 %, with the charging bit while the batteries take charge.
inline uint8_t BatteryFlagForCharge(unsigned percent, bool charging) {
  uint8_t flag = 0;
  if (percent > 66) flag |= kBatteryHigh;
  if (percent < 33) flag |= kBatteryLow;
  if (percent < 5) flag |= kBatteryCritical;
  if (charging) flag |= kBatteryCharging;
  return flag;
}

enum class PowerNotice : uint8_t {
  // The AC line or the battery flag changed; Status() tells the new values.
  kStatusChanged,
  // The system is about to sleep. It goes to sleep once every listener has returned.
  kSuspending,
  // The system woke from sleep.
  kResumed,
};

const char* PowerNoticeName(PowerNotice notice);

class PowerListener {
 public:
  virtual ~PowerListener() = default;
  // Called on a platform thread, one notice at a time, in the order the events
  // happened. The listener hands longer work to its own loop.
  virtual void OnPowerNotice(PowerNotice notice) = 0;
};

// Notices reach a listener while its subscription lives. Destroying the subscription
// waits for a delivery to that listener in progress on another thread, so the listener
// may be destroyed right after it.
class PowerSubscription {
 public:
  virtual ~PowerSubscription() = default;
};

// Power status and the power notices of the operating system.
class Power {
 public:
  virtual ~Power() = default;
  // Nullopt when the status cannot be read; the caller keeps its last values.
  virtual std::optional<PowerStatus> Status() = 0;
  // `listener` must outlive the returned subscription.
  virtual std::unique_ptr<PowerSubscription> Subscribe(PowerListener& listener) = 0;
};

}  // namespace pacetta::platform
