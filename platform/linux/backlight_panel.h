#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/kernel_cpu/sysfs_root.h"
#include "platform/linux/system_bus.h"
#include "platform/os_power.h"

namespace pacetta::linux_os {

// The login manager's session of the calling process, which may set the brightness of
// its seat's backlight without root.
inline constexpr BusObject kOwnLoginSession{"org.freedesktop.login1",
                                            "/org/freedesktop/login1/session/auto",
                                            "org.freedesktop.login1.Session"};

struct BacklightDevice {
  std::string name;  // the folder under sys/class/backlight
  uint64_t maxBrightness = 0;
};

// The backlight a desktop would drive: a "firmware" one (the ACPI interface, which knows
// the panel) before a "platform" one (the maker's driver) before a "raw" one (the graphics
// chip's register, which may switch the panel off at 0); by folder name within a type.
// Devices with no usable maximum do not count. Nullopt without any.
std::optional<BacklightDevice> ChooseBacklight(const SysfsRoot& root);

// Between the device's raw values and percent, each rounded to the nearest. A percentage
// never gives raw 0, so the panel stays lit at its lowest level.
uint8_t PercentOfRaw(uint64_t raw, uint64_t maxBrightness);
uint64_t RawOfPercent(uint8_t percent, uint64_t maxBrightness);
// The percentages the device can show: those that come back unchanged through its raw
// values, ascending (at most 101).
std::vector<uint8_t> PercentSteps(uint64_t maxBrightness);

// The panel's brightness from the kernel's backlight class: levels are read from the
// device's files and written through the login manager's session, as desktops do. The
// device is chosen when the object is made. Levels for AC power and for battery are both
// remembered; the one of the power source in use (read from the power-supply class) is
// the one written. Without a backlight device every call fails with file-not-found.
class BacklightPanel final : public platform::PanelBrightness {
 public:
  explicit BacklightPanel(SysfsRoot root = SysfsRoot(), BusObject session = kOwnLoginSession);

  platform::PowerAnswer<std::vector<uint8_t>> SupportedLevels() override;
  // The device's level now for the power source in use; for the other one the level last
  // set for it, or the device's level when none was.
  platform::PowerAnswer<platform::PanelLevels> Levels() override;
  platform::PowerCall SetLevels(platform::PanelLevels levels) override;

  // The device's level now, in percent.
  platform::PowerAnswer<uint8_t> LevelNow() const;

  const std::optional<BacklightDevice>& Device() const { return device_; }

 private:
  bool OnBattery() const;
  std::optional<uint64_t> CurrentRaw() const;

  SysfsRoot root_;
  BusObject session_;
  std::optional<BacklightDevice> device_;
  std::optional<platform::PanelLevels> remembered_;
  // Opened at the first write and again after the bus went away.
  std::unique_ptr<SystemBus> bus_;
};

}  // namespace pacetta::linux_os
