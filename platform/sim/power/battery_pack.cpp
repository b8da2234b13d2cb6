#include "platform/sim/power/battery_pack.h"

#include <algorithm>
#include <cmath>

namespace pacetta::sim {
namespace {

constexpr double kNsPerHour = 3.6e12;

}  // namespace

SimBatteryPack::SimBatteryPack(std::vector<SimBatterySpec> batteries) {
  for (const auto& spec : batteries) Insert(spec);
}

void SimBatteryPack::Advance(uint64_t nowNs, bool acOnline, double busyShare, bool running) {
  const double hours = lastNs_ && nowNs > *lastNs_ ? (nowNs - *lastNs_) / kNsPerHour : 0.0;
  lastNs_ = nowNs;
  busyShare = std::clamp(busyShare, 0.0, 1.0);
  bool drawn = false, charged = false;
  for (auto& cell : cells_) {
    cell.rateMw = 0;
    const auto& spec = cell.spec;
    const double draw = spec.idleMw + (double(spec.busyMw) - spec.idleMw) * busyShare;
    if (running && (!acOnline || cell.dischargeRequested) && !drawn && cell.nowMwh > 0) {
      // One battery runs the machine at a time.
      cell.rateMw = -static_cast<int32_t>(std::lround(draw));
      cell.nowMwh = std::max(0.0, cell.nowMwh - draw * hours);
      drawn = true;
    } else if (acOnline && !cell.dischargeRequested && !charged && cell.nowMwh < spec.fullMwh) {
      cell.rateMw = static_cast<int32_t>(spec.chargeMw);
      cell.nowMwh = std::min<double>(spec.fullMwh, cell.nowMwh + spec.chargeMw * hours);
      charged = true;
    }
  }
}

void SimBatteryPack::SetPercent(unsigned percent) {
  for (auto& cell : cells_) cell.nowMwh = cell.spec.fullMwh * std::min(percent, 100u) / 100.0;
}

std::optional<unsigned> SimBatteryPack::Percent() const {
  if (cells_.empty()) return std::nullopt;
  double now = 0, full = 0;
  for (const auto& cell : cells_) {
    now += cell.nowMwh;
    full += cell.spec.fullMwh;
  }
  return full > 0 ? static_cast<unsigned>(std::lround(100.0 * now / full)) : 0;
}

bool SimBatteryPack::Charging() const {
  return std::any_of(cells_.begin(), cells_.end(), [](const auto& c) { return c.rateMw > 0; });
}

double SimBatteryPack::DrainMw() const {
  double drain = 0;
  for (const auto& cell : cells_) drain += cell.rateMw < 0 ? -cell.rateMw : 0;
  return drain;
}

std::optional<unsigned> SimBatteryPack::Insert(const SimBatterySpec& spec) {
  if (cells_.size() >= kMostBatteries) return std::nullopt;
  SimBatteryCell cell;
  cell.serial = nextSerial_++;
  cell.spec = spec;
  cell.nowMwh = spec.fullMwh;
  cells_.push_back(cell);
  return cell.serial;
}

bool SimBatteryPack::RemoveLast() {
  if (cells_.empty()) return false;
  cells_.pop_back();
  return true;
}

SimBatteryCell* SimBatteryPack::Find(unsigned serial) {
  const auto it = std::find_if(cells_.begin(), cells_.end(),
                               [serial](const auto& cell) { return cell.serial == serial; });
  return it == cells_.end() ? nullptr : &*it;
}

}  // namespace pacetta::sim
