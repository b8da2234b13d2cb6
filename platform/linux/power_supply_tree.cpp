#include "platform/linux/power_supply_tree.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace pacetta::linux_os {
namespace {

namespace fs = std::filesystem;

struct Battery {
  std::string status;  // "Charging", "Discharging", "Full", "Not charging", "Unknown"
  std::optional<int64_t> capacity;
  // Energy in µWh with power in µW, or charge in µAh with current in µA.
  std::optional<int64_t> now, full, rate;
};

Battery ReadBattery(const fs::path& folder) {
  Battery battery;
  battery.status = SupplyAttribute(folder, "status");
  battery.capacity = SupplyNumber(folder, "capacity");
  if (auto energy = SupplyNumber(folder, "energy_now")) {
    battery.now = energy;
    battery.full = SupplyNumber(folder, "energy_full");
    battery.rate = SupplyNumber(folder, "power_now");
  } else if (auto charge = SupplyNumber(folder, "charge_now")) {
    battery.now = charge;
    battery.full = SupplyNumber(folder, "charge_full");
    battery.rate = SupplyNumber(folder, "current_now");
  }
  // Some firmware reports the discharge rate as a negative number.
  if (battery.rate) battery.rate = std::llabs(*battery.rate);
  return battery;
}

bool IsLinePower(const std::string& type) {
  return type != "Battery" && type != "UPS";
}

// The AC line from the batteries alone, for machines whose adapter has no folder.
uint8_t AcLineFromBatteries(const std::vector<Battery>& batteries) {
  bool charging = false;
  for (const auto& battery : batteries) {
    if (battery.status == "Discharging") return platform::kAcOffline;
    // "Not charging": on AC power, held below a charge limit.
    charging = charging || battery.status == "Charging" || battery.status == "Full" ||
               battery.status == "Not charging";
  }
  return charging ? platform::kAcOnline : platform::kAcUnknown;
}

void FillCharge(const std::vector<Battery>& batteries, platform::PowerStatus& status) {
  int64_t now = 0, full = 0, rate = 0, capacitySum = 0;
  bool energyKnown = true, rateKnown = true, capacityKnown = true, charging = false;
  for (const auto& battery : batteries) {
    charging = charging || battery.status == "Charging";
    energyKnown = energyKnown && battery.now && battery.full && *battery.full > 0;
    if (energyKnown) {
      now += *battery.now;
      full += *battery.full;
    }
    rateKnown = rateKnown && battery.rate;
    if (rateKnown) rate += *battery.rate;
    capacityKnown = capacityKnown && battery.capacity;
    if (capacityKnown) capacitySum += *battery.capacity;
  }
  std::optional<int64_t> percent;
  if (energyKnown) {
    percent = std::llround(100.0 * static_cast<double>(now) / static_cast<double>(full));
  } else if (capacityKnown) {
    percent = capacitySum / static_cast<int64_t>(batteries.size());
  }
  if (percent) {
    const auto clamped = static_cast<unsigned>(std::clamp<int64_t>(*percent, 0, 100));
    status.batteryPercent = static_cast<uint8_t>(clamped);
    status.batteryFlag = platform::BatteryFlagForCharge(clamped, charging);
  } else {
    status.batteryFlag = charging ? platform::kBatteryCharging : platform::kBatteryUnknown;
  }
  // Times are known only while the batteries run the machine at a measured rate.
  if (status.acLine == platform::kAcOffline && energyKnown && rateKnown && rate > 0) {
    status.batteryLifeTime = static_cast<int32_t>(std::min<int64_t>(now * 3600 / rate, INT32_MAX));
    status.fullBatteryLifeTime =
        static_cast<int32_t>(std::min<int64_t>(full * 3600 / rate, INT32_MAX));
  }
}

}  // namespace

std::string SupplyAttribute(const std::filesystem::path& folder, const char* name) {
  std::ifstream file(folder / name);
  std::string value;
  if (!file || !std::getline(file, value)) return {};
  while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
  return value;
}

std::optional<int64_t> SupplyNumber(const std::filesystem::path& folder, const char* name) {
  const std::string text = SupplyAttribute(folder, name);
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0') return std::nullopt;
  return value;
}

std::optional<platform::PowerStatus> ReadPowerSupplies(const std::string& root) {
  std::error_code error;
  fs::directory_iterator entries(root, error);
  if (error) return std::nullopt;

  std::vector<Battery> batteries;
  bool anyAdapter = false, adapterOnline = false;
  // The listing may end early on an error; what was read still counts.
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    const fs::path folder = entries->path();
    if (SupplyAttribute(folder, "scope") == "Device") continue;  // a mouse's or headset's battery
    const std::string type = SupplyAttribute(folder, "type");
    if (type == "Battery") {
      if (SupplyNumber(folder, "present").value_or(1) != 0)
        batteries.push_back(ReadBattery(folder));
    } else if (!type.empty() && IsLinePower(type)) {
      if (const auto online = SupplyNumber(folder, "online")) {
        anyAdapter = true;
        adapterOnline = adapterOnline || *online != 0;
      }
    }
  }

  platform::PowerStatus status;
  if (anyAdapter) {
    status.acLine = adapterOnline ? platform::kAcOnline : platform::kAcOffline;
  } else if (!batteries.empty()) {
    status.acLine = AcLineFromBatteries(batteries);
  } else {
    status.acLine = platform::kAcOnline;  // a desktop: mains only
  }
  if (batteries.empty()) {
    status.batteryFlag = platform::kNoSystemBattery;
  } else {
    FillCharge(batteries, status);
  }
  return status;
}

}  // namespace pacetta::linux_os
