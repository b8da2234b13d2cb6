#include "platform/linux/battery_devices.h"

#include <linux/netlink.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

#include "platform/linux/helper_socket.h"
#include "platform/linux/power_supply_tree.h"

namespace pacetta::linux_os {
namespace {

namespace fs = std::filesystem;

// How long the watcher sleeps between looks at its stop request.
constexpr std::chrono::milliseconds kLongestWait{200};
// 0 °C in tenths of a kelvin.
constexpr int64_t kZeroCelsiusTenthsKelvin = 2732;

bool IsSystemBattery(const fs::path& folder) {
  return SupplyAttribute(folder, "type") == "Battery" &&
         SupplyAttribute(folder, "scope") != "Device" &&
         SupplyNumber(folder, "present").value_or(1) != 0;
}

uint32_t ToField(int64_t value) {
  return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, 0xFFFFFFFE));
}

// Energy attributes are µWh; charge attributes µAh, which at `microvolts` give µWh.
struct EnergyReader {
  const fs::path& folder;
  bool byCharge;
  std::optional<int64_t> microvolts;

  std::optional<uint32_t> Mwh(const char* energy, const char* charge) const {
    if (!byCharge) {
      const auto value = SupplyNumber(folder, energy);
      if (!value) return std::nullopt;
      return ToField(*value / 1000);
    }
    const auto value = SupplyNumber(folder, charge);
    if (!value || !microvolts) return std::nullopt;
    return ToField(std::llround(static_cast<double>(*value) * *microvolts / 1e9));
  }
};

EnergyReader ReaderFor(const fs::path& folder, bool design) {
  const bool byCharge = !SupplyNumber(folder, "energy_now") && !SupplyNumber(folder, "energy_full");
  auto volts = design ? SupplyNumber(folder, "voltage_min_design") : std::nullopt;
  if (!volts) volts = SupplyNumber(folder, "voltage_now");
  return {folder, byCharge, volts};
}

std::array<char, 4> Chemistry(const std::string& technology) {
  static const std::map<std::string, std::array<char, 4>> kCodes = {
      {"Li-ion", {'L', 'I', 'O', 'N'}}, {"Li-poly", {'L', 'i', 'P', 'o'}},
      {"NiMH", {'N', 'i', 'M', 'H'}},   {"NiCd", {'N', 'i', 'C', 'd'}},
      {"LiFe", {'L', 'i', 'F', 'e'}},   {"LiMn", {'L', 'i', 'M', 'n'}},
  };
  const auto it = kCodes.find(technology);
  return it == kCodes.end() ? std::array<char, 4>{} : it->second;
}

// The charge behaviours the kernel offers, e.g. "[auto] inhibit-charge force-discharge".
bool Offers(const fs::path& folder, const std::string& behaviour) {
  const std::string all = " " + SupplyAttribute(folder, "charge_behaviour") + " ";
  return all.find(" " + behaviour + " ") != std::string::npos ||
         all.find("[" + behaviour + "]") != std::string::npos;
}

bool WriteBehaviour(const fs::path& folder, const std::string& behaviour) {
  if (!Offers(folder, behaviour)) return false;
  std::ofstream file(folder / "charge_behaviour");
  file << behaviour << '\n';
  file.flush();
  return static_cast<bool>(file);
}

// A socket that hears the kernel's device events, or an invalid one where that is
// not allowed (some containers).
UniqueFd OpenUevents() {
  UniqueFd fd(
      socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT));
  if (!fd.Valid()) return fd;
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = 1;  // the kernel's own broadcasts
  if (bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return {};
  return fd;
}

// True when a waiting event concerns a power supply; drains the socket.
bool PowerSupplyEvent(int fd) {
  bool relevant = false;
  char buffer[8192];
  for (;;) {
    const ssize_t got = recv(fd, buffer, sizeof buffer - 1, 0);
    if (got <= 0) return relevant;
    buffer[got] = '\0';
    // "ACTION@DEVPATH\0KEY=VALUE\0...": the subsystem is one of the pairs.
    for (ssize_t i = 0; i < got; i += static_cast<ssize_t>(std::strlen(buffer + i)) + 1) {
      if (std::string_view(buffer + i) == "SUBSYSTEM=power_supply") relevant = true;
    }
  }
}

}  // namespace

LinuxBatteries::LinuxBatteries(BatteryWatchOptions options) : options_(std::move(options)) {}

LinuxBatteries::~LinuxBatteries() {
  std::lock_guard lock(threadMutex_);
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
}

std::vector<std::string> LinuxBatteries::Enumerate() {
  std::vector<std::string> paths;
  std::error_code error;
  fs::directory_iterator entries(options_.root, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    if (IsSystemBattery(entries->path())) paths.push_back(entries->path().string());
  }
  std::sort(paths.begin(), paths.end());
  if (paths.size() > platform::kMaxBatteryDevices) paths.resize(platform::kMaxBatteryDevices);
  return paths;
}

std::optional<platform::BatteryIdentity> LinuxBatteries::Information(const std::string& path) {
  const fs::path folder(path);
  if (!IsSystemBattery(folder)) return std::nullopt;
  platform::BatteryIdentity identity;
  identity.name = platform::MakeBatteryText(SupplyAttribute(folder, "model_name"));
  identity.manufacturer = platform::MakeBatteryText(SupplyAttribute(folder, "manufacturer"));
  identity.uniqueId = platform::MakeBatteryText(SupplyAttribute(folder, "serial_number"));
  auto& info = identity.information;
  info.capabilities = platform::kBatterySystemBattery;
  if (Offers(folder, "auto")) info.capabilities |= platform::kBatteryCanRequestCharge;
  if (Offers(folder, "force-discharge")) info.capabilities |= platform::kBatteryCanRequestDischarge;
  const std::string technology = SupplyAttribute(folder, "technology");
  info.chemistry = Chemistry(technology);
  // Every chemistry the kernel names is a rechargeable one.
  info.technology = info.chemistry[0] != '\0' ? 1 : 0;
  const EnergyReader design = ReaderFor(folder, true);
  info.designedCapacity = design.Mwh("energy_full_design", "charge_full_design").value_or(0);
  info.fullChargedCapacity = ReaderFor(folder, false).Mwh("energy_full", "charge_full").value_or(0);
  info.defaultAlert1 = ReaderFor(folder, false).Mwh("alarm", "alarm").value_or(0);
  info.cycleCount = ToField(SupplyNumber(folder, "cycle_count").value_or(0));
  auto& date = identity.manufactured;
  date.year = static_cast<uint16_t>(
      std::clamp<int64_t>(SupplyNumber(folder, "manufacture_year").value_or(0), 0, 65535));
  date.month = static_cast<uint8_t>(
      std::clamp<int64_t>(SupplyNumber(folder, "manufacture_month").value_or(0), 0, 12));
  date.day = static_cast<uint8_t>(
      std::clamp<int64_t>(SupplyNumber(folder, "manufacture_day").value_or(0), 0, 31));
  return identity;
}

std::optional<platform::BatteryStatus> LinuxBatteries::Status(const std::string& path) {
  const fs::path folder(path);
  if (!IsSystemBattery(folder)) return std::nullopt;
  platform::BatteryStatus status;
  const std::string state = SupplyAttribute(folder, "status");
  const bool discharging = state == "Discharging";
  if (discharging) {
    status.powerState |= platform::kBatteryDischarging;
  } else if (state == "Charging" || state == "Full" || state == "Not charging") {
    status.powerState |= platform::kBatteryPowerOnLine;
    if (state == "Charging") status.powerState |= platform::kBatteryChargingState;
  }
  if (SupplyAttribute(folder, "capacity_level") == "Critical") {
    status.powerState |= platform::kBatteryCriticalState;
  }
  const EnergyReader reader = ReaderFor(folder, false);
  status.capacity =
      reader.Mwh("energy_now", "charge_now").value_or(platform::kBatteryCapacityUnknown);
  const auto microvolts = SupplyNumber(folder, "voltage_now");
  status.voltage = microvolts ? ToField(*microvolts / 1000) : platform::kBatteryCapacityUnknown;
  std::optional<int64_t> milliwatts;
  if (const auto power = SupplyNumber(folder, "power_now")) {
    milliwatts = std::llabs(*power) / 1000;
  } else if (const auto current = SupplyNumber(folder, "current_now"); current && microvolts) {
    milliwatts = std::llround(std::fabs(static_cast<double>(*current) * *microvolts / 1e9));
  }
  if (milliwatts) {
    // Some firmware reports a discharge as a positive number: the status tells the sign.
    const auto magnitude = static_cast<int32_t>(std::min<int64_t>(*milliwatts, INT32_MAX));
    status.rate = discharging ? -magnitude : magnitude;
  }
  if (discharging) {
    if (const auto seconds = SupplyNumber(folder, "time_to_empty_now"); seconds && *seconds > 0) {
      status.estimatedTime = static_cast<int32_t>(std::min<int64_t>(*seconds, INT32_MAX));
    }
  }
  if (const auto tenthsCelsius = SupplyNumber(folder, "temp")) {
    status.temperature = static_cast<int32_t>(*tenthsCelsius + kZeroCelsiusTenthsKelvin);
  }
  return status;
}

bool LinuxBatteries::RequestCharge(const std::string& path) {
  return IsSystemBattery(path) && WriteBehaviour(path, "auto");
}

bool LinuxBatteries::RequestDischarge(const std::string& path) {
  return IsSystemBattery(path) && WriteBehaviour(path, "force-discharge");
}

std::unique_ptr<platform::BatterySubscription> LinuxBatteries::Subscribe(
    platform::BatteryListener& listener) {
  auto subscription = notices_.Subscribe(listener);
  std::lock_guard lock(threadMutex_);
  if (!thread_.joinable()) {
    RescanOnce();  // the listing the first change is measured against
    thread_ = std::jthread([this](std::stop_token stop) { Watch(stop); });
  }
  return subscription;
}

void LinuxBatteries::RescanOnce() {
  std::lock_guard lock(scanMutex_);
  auto listing = Enumerate();
  const bool changed = lastListing_ && *lastListing_ != listing;
  lastListing_ = std::move(listing);
  if (changed) notices_.PostDevicesChanged();
}

void LinuxBatteries::Watch(std::stop_token stop) {
  const UniqueFd events = options_.listenToKernel ? OpenUevents() : UniqueFd();
  auto nextScan = std::chrono::steady_clock::now() + options_.rescanInterval;
  while (!stop.stop_requested()) {
    const auto now = std::chrono::steady_clock::now();
    const auto wait =
        std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(nextScan - now),
                   std::chrono::milliseconds(0), kLongestWait);
    bool scan = now >= nextScan;
    if (events.Valid()) {
      pollfd look{events.Get(), POLLIN, 0};
      if (poll(&look, 1, static_cast<int>(wait.count())) > 0 && PowerSupplyEvent(events.Get())) {
        scan = true;
      }
    } else {
      std::this_thread::sleep_for(wait);
    }
    if (scan) {
      RescanOnce();
      nextScan = std::chrono::steady_clock::now() + options_.rescanInterval;
    }
  }
}

}  // namespace pacetta::linux_os
