#include "platform/sim/power/sim_power.h"

#include <cmath>

namespace pacetta::sim {
namespace {

constexpr char kPathPrefix[] = "sim:BAT";
// The pack's nominal voltage; a full pack reads higher, an empty one lower.
constexpr double kNominalMv = 11100;
// 30.0 °C in tenths of a kelvin.
constexpr int32_t kCellTenthsKelvin = 3032;

std::string PathOf(const SimBatteryCell& cell) {
  return kPathPrefix + std::to_string(cell.serial);
}

// The part of the status whose change the system announces.
bool SameSource(const platform::PowerStatus& a, const platform::PowerStatus& b) {
  return a.acLine == b.acLine && a.batteryFlag == b.batteryFlag;
}

}  // namespace

void SimPower::AttachMachine(std::function<uint64_t()> clockNs, std::function<double()> busyShare) {
  std::lock_guard lock(mutex_);
  clockNs_ = std::move(clockNs);
  busyShare_ = std::move(busyShare);
  pack_.Advance(clockNs_ ? clockNs_() : 0, acOnline_, 0.0);
}

void SimPower::AdvanceLocked() {
  // Asleep, the machine draws next to nothing: its charge stands still.
  const uint64_t now = clockNs_ ? clockNs_() : 0;
  pack_.Advance(now, acOnline_, busyShare_ && !asleep_ ? busyShare_() : 0.0, !asleep_);
}

platform::PowerStatus SimPower::StatusLocked() {
  AdvanceLocked();
  platform::PowerStatus status;
  status.acLine = acOnline_ ? platform::kAcOnline : platform::kAcOffline;
  const auto percent = pack_.Percent();
  if (!percent) {
    status.batteryFlag = platform::kNoSystemBattery;
    return status;
  }
  status.batteryPercent = static_cast<uint8_t>(*percent);
  status.batteryFlag = platform::BatteryFlagForCharge(*percent, pack_.Charging());
  // The times are known while the batteries run the machine.
  const double drain = pack_.DrainMw();
  if (!acOnline_ && drain > 0) {
    double now = 0, full = 0;
    for (const auto& cell : pack_.Cells()) {
      now += cell.nowMwh;
      full += cell.spec.fullMwh;
    }
    status.batteryLifeTime = static_cast<int32_t>(std::lround(now * 3600 / drain));
    status.fullBatteryLifeTime = static_cast<int32_t>(std::lround(full * 3600 / drain));
  }
  return status;
}

std::optional<platform::PowerStatus> SimPower::Status() {
  std::lock_guard lock(mutex_);
  if (statusFails_) return std::nullopt;
  return StatusLocked();
}

std::unique_ptr<platform::PowerSubscription> SimPower::Subscribe(
    platform::PowerListener& listener) {
  return notices_.Subscribe(listener);
}

void SimPower::ChangeLocked(const platform::PowerStatus& before) {
  if (sleeping_ || SameSource(before, StatusLocked())) return;
  notices_.Post(platform::PowerNotice::kStatusChanged);
}

bool SimPower::Plug() {
  std::lock_guard lock(mutex_);
  if (acOnline_) return false;
  const auto before = StatusLocked();
  acOnline_ = true;
  ChangeLocked(before);
  return true;
}

bool SimPower::Unplug() {
  std::lock_guard lock(mutex_);
  if (!acOnline_) return false;
  const auto before = StatusLocked();
  acOnline_ = false;
  ChangeLocked(before);
  return true;
}

bool SimPower::SetBatteryPercent(unsigned percent) {
  if (percent > 100) return false;
  std::lock_guard lock(mutex_);
  if (pack_.Cells().empty()) return false;
  const auto before = StatusLocked();
  pack_.SetPercent(percent);
  ChangeLocked(before);
  return true;
}

bool SimPower::InsertBattery(const SimBatterySpec& spec) {
  std::lock_guard lock(mutex_);
  const auto before = StatusLocked();
  if (!pack_.Insert(spec)) return false;
  ChangeLocked(before);
  batteryNotices_.PostDevicesChanged();
  return true;
}

bool SimPower::RemoveBattery() {
  std::lock_guard lock(mutex_);
  const auto before = StatusLocked();
  if (!pack_.RemoveLast()) return false;
  ChangeLocked(before);
  batteryNotices_.PostDevicesChanged();
  return true;
}

SimBatteryCell* SimPower::CellLocked(const std::string& path) {
  const std::string prefix = kPathPrefix;
  if (path.rfind(prefix, 0) != 0 || path.size() == prefix.size()) return nullptr;
  unsigned serial = 0;
  for (size_t i = prefix.size(); i < path.size(); ++i) {
    if (path[i] < '0' || path[i] > '9' || serial > 100000) return nullptr;
    serial = serial * 10 + static_cast<unsigned>(path[i] - '0');
  }
  return pack_.Find(serial);
}

std::vector<std::string> SimPower::Enumerate() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> paths;
  for (const auto& cell : pack_.Cells()) {
    if (paths.size() == platform::kMaxBatteryDevices) break;
    paths.push_back(PathOf(cell));
  }
  return paths;
}

std::optional<platform::BatteryIdentity> SimPower::Information(const std::string& path) {
  std::lock_guard lock(mutex_);
  const SimBatteryCell* cell = CellLocked(path);
  if (!cell) return std::nullopt;
  platform::BatteryIdentity identity;
  identity.name = platform::MakeBatteryText("Simulated battery " + std::to_string(cell->serial));
  identity.manufacturer = platform::MakeBatteryText("Tarvello");
  identity.uniqueId = platform::MakeBatteryText("SIM-" + std::to_string(1000 + cell->serial));
  auto& info = identity.information;
  info.capabilities = platform::kBatterySystemBattery | platform::kBatteryCanRequestCharge |
                      platform::kBatteryCanRequestDischarge;
  info.technology = 1;
  info.chemistry = {'L', 'I', 'O', 'N'};
  info.designedCapacity = cell->spec.designedMwh;
  info.fullChargedCapacity = cell->spec.fullMwh;
  info.defaultAlert1 = cell->spec.fullMwh / 20;  // low at 5 %
  info.defaultAlert2 = cell->spec.fullMwh / 10;  // warning at 10 %
  info.cycleCount = 42;
  identity.manufactured = {14, 3, 2007};
  return identity;
}

std::optional<platform::BatteryStatus> SimPower::Status(const std::string& path) {
  std::lock_guard lock(mutex_);
  AdvanceLocked();
  const SimBatteryCell* cell = CellLocked(path);
  if (!cell) return std::nullopt;
  platform::BatteryStatus status;
  if (acOnline_) status.powerState |= platform::kBatteryPowerOnLine;
  if (cell->rateMw < 0) status.powerState |= platform::kBatteryDischarging;
  if (cell->rateMw > 0) status.powerState |= platform::kBatteryChargingState;
  const double share = cell->spec.fullMwh ? cell->nowMwh / cell->spec.fullMwh : 0.0;
  if (share < 0.05 && cell->rateMw < 0) status.powerState |= platform::kBatteryCriticalState;
  status.capacity = static_cast<uint32_t>(std::lround(cell->nowMwh));
  status.voltage = static_cast<uint32_t>(std::lround(kNominalMv * (0.9 + 0.2 * share)));
  status.rate = cell->rateMw;
  // The pack measures its rate but leaves the remaining time to the program.
  status.estimatedTime = -1;
  status.temperature = kCellTenthsKelvin;
  return status;
}

bool SimPower::RequestCharge(const std::string& path) {
  std::lock_guard lock(mutex_);
  AdvanceLocked();
  SimBatteryCell* cell = CellLocked(path);
  if (!cell) return false;
  cell->dischargeRequested = false;
  return true;
}

bool SimPower::RequestDischarge(const std::string& path) {
  std::lock_guard lock(mutex_);
  AdvanceLocked();
  SimBatteryCell* cell = CellLocked(path);
  if (!cell) return false;
  cell->dischargeRequested = true;
  return true;
}

std::unique_ptr<platform::BatterySubscription> SimPower::Subscribe(
    platform::BatteryListener& listener) {
  return batteryNotices_.Subscribe(listener);
}

std::optional<uint64_t> SimPower::BeginSleep() {
  std::lock_guard lock(mutex_);
  if (sleeping_) return std::nullopt;
  sleeping_ = true;
  const uint64_t sleep = ++sleeps_;
  beforeSleep_ = StatusLocked();
  // The system sleeps only once every program has handled the notice, unless it was
  // woken before that.
  notices_.Post(platform::PowerNotice::kSuspending, [this, sleep] {
    std::lock_guard after(mutex_);
    if (sleeping_ && sleeps_ == sleep) asleep_ = true;
  });
  return sleep;
}

bool SimPower::Resume() {
  std::lock_guard lock(mutex_);
  if (!sleeping_) return false;
  ResumeLocked();
  return true;
}

bool SimPower::EndSleep(uint64_t sleep) {
  std::lock_guard lock(mutex_);
  if (!sleeping_ || sleeps_ != sleep) return false;
  ResumeLocked();
  return true;
}

void SimPower::ResumeLocked() {
  sleeping_ = false;
  asleep_ = false;
  notices_.Post(platform::PowerNotice::kResumed);
  // What changed during the sleep is announced once the system runs again.
  if (!SameSource(beforeSleep_, StatusLocked())) {
    notices_.Post(platform::PowerNotice::kStatusChanged);
  }
}

void SimPower::SetStatusFails(bool fails) {
  std::lock_guard lock(mutex_);
  statusFails_ = fails;
}

bool SimPower::Asleep() {
  std::lock_guard lock(mutex_);
  return asleep_;
}

}  // namespace pacetta::sim
