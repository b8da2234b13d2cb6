#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/settings/app_settings.h"

namespace pacetta {

// The options of the Intel I/O controller hub's LPC bridge the "Chipset" tab shows, in
// the order they are written (and stored, "IntelCentrino.*").
enum class IchOption : uint32_t {
  kC4OnC3,            // A0h bit 7
  kCpuSlpInC3,        // A0h bit 5, ICH4 and ICH4-M
  kCpuSlpInS1,        // A0h bit 5, ICH6 on (kept unchanged from ICH7 on)
  kC4InS1M,           // A0h bit 8
  kPopdown,           // A9h bit 4
  kPopup,             // A9h bits 3:2, both or neither
  kC4Disable,         // A0h bit 12
  kC5Enable,          // A0h bit 11
  kSlowC4Exit,        // AAh bit 6
  kPllLockTime,       // A2h bits 6:5, list index
  kCpuSlpToStpclk,    // A8h bits 5:0, 2..63 (x3.84 us)
  kDpslpToCpuslp,     // AAh bits 1:0, list index
  kDprslpvrToStpcpu,  // AAh bits 3:2, list index
  kSlowC4ExitDelay,   // AAh bits 5:4, list index
  kCount,
};
inline constexpr size_t kIchOptionCount = static_cast<size_t>(IchOption::kCount);

// Every option's value (0/1 for the boxes); the fields a hub lacks are ignored.
struct ChipsetValues {
  std::array<uint32_t, kIchOptionCount> options{};
  // The processor control register's throttling fields.
  bool forceThermalThrottling = false;
  uint32_t thermalDuty = 0;  // 0 "Default (50.0%)", 1..7 = 12.5 % x v
  bool normalThrottling = false;
  uint32_t normalDuty = 0;
  // "Lock throttling settings": "Refresh" keeps the page's throttling values.
  bool throttleLock = false;

  uint32_t& operator[](IchOption option) { return options[static_cast<size_t>(option)]; }
  uint32_t operator[](IchOption option) const { return options[static_cast<size_t>(option)]; }
  bool operator==(const ChipsetValues&) const = default;
};

// The hub as identified when the container was created.
struct ChipsetIdentity {
  std::string name;  // "ICH7M(U)", ...; the "Unknown" text's id gives it otherwise
  uint16_t vendorId = 0;
  uint16_t deviceId = 0;
  std::optional<uint32_t> generation;  // 0..8; none for an unknown hub
  // The ACPI power-management block is decoded at a usable base: the throttling tab's
  // controls and status work.
  bool throttlingAvailable = false;
};

// The hub behind the Centrino container's "Chipset" and "Throttling" tabs.
class CentrinoChipset {
 public:
  virtual ~CentrinoChipset() = default;
  virtual const ChipsetIdentity& Identity() const = 0;
  // The hub's generation has the option (every option is absent on an unknown hub).
  virtual bool Has(IchOption option) const = 0;
  // The entries of the "DPRSLPVR to STPCPU# delay:" list on this hub (2 or 3).
  virtual uint32_t DprslpvrEntryCount() const = 0;
  // The hub's registers as they are now; the throttling fields only where available.
  virtual ChipsetValues Read() = 0;
  // Bit 17 of the processor control register; none without a known hub or block.
  virtual std::optional<bool> ThrottlingActive() = 0;
  // Writes, in the hub's order, every option this hub has, then the throttling fields
  // where available; each a read-modify-write of its own bits, values cut to the field.
  virtual void Write(const ChipsetValues& values) = 0;
  // The stored "IntelCentrino.*" values (in the order of kCentrinoSettingNames) as page
  // values: an option the hub lacks takes the hub's present value.
  virtual ChipsetValues FromStored(const std::array<int32_t, kCentrinoSettingCount>& stored) = 0;
  // `values` into the stored ones: only the options the hub has, the throttling keys
  // whenever the hub is known; the rest keep what they hold.
  virtual void Store(const ChipsetValues& values,
                     std::array<int32_t, kCentrinoSettingCount>& stored) const = 0;
};

}  // namespace pacetta
