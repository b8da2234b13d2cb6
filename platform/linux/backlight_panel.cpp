#include "platform/linux/backlight_panel.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/linux/power_supply_tree.h"

namespace pacetta::linux_os {
namespace {

using platform::PanelLevels;
using platform::PowerAnswer;
using platform::PowerCall;

constexpr char kBacklights[] = "sys/class/backlight";
constexpr char kPowerSupplies[] = "sys/class/power_supply";

int TypeRank(const std::string& type) {
  if (type == "firmware") return 0;
  if (type == "platform") return 1;
  if (type == "raw") return 2;
  return 3;  // a type this code does not know: last
}

}  // namespace

std::optional<BacklightDevice> ChooseBacklight(const SysfsRoot& root) {
  std::optional<BacklightDevice> chosen;
  int chosenRank = 0;
  for (const std::string& name : root.Entries(kBacklights)) {
    const std::string folder = std::string(kBacklights) + "/" + name + "/";
    const auto max = root.Unsigned(folder + "max_brightness");
    if (!max || *max == 0) continue;
    const int rank = TypeRank(root.Line(folder + "type").value_or(""));
    // Entries come sorted: the first of the best type wins.
    if (!chosen || rank < chosenRank) {
      chosen = BacklightDevice{name, *max};
      chosenRank = rank;
    }
  }
  return chosen;
}

uint8_t PercentOfRaw(uint64_t raw, uint64_t maxBrightness) {
  if (maxBrightness == 0) return 0;
  raw = std::min(raw, maxBrightness);
  return static_cast<uint8_t>((raw * 100 + maxBrightness / 2) / maxBrightness);
}

uint64_t RawOfPercent(uint8_t percent, uint64_t maxBrightness) {
  const uint64_t p = std::min<uint64_t>(percent, 100);
  return std::max<uint64_t>(1, (p * maxBrightness + 50) / 100);
}

std::vector<uint8_t> PercentSteps(uint64_t maxBrightness) {
  std::vector<uint8_t> steps;
  if (maxBrightness == 0) return steps;
  for (uint8_t p = 0; p <= 100; ++p) {
    if (PercentOfRaw(RawOfPercent(p, maxBrightness), maxBrightness) == p) steps.push_back(p);
  }
  return steps;
}

BacklightPanel::BacklightPanel(SysfsRoot root, BusObject session)
    : root_(std::move(root)), session_(session), device_(ChooseBacklight(root_)) {}

bool BacklightPanel::OnBattery() const {
  const auto status = ReadPowerSupplies(root_.Path(kPowerSupplies));
  return status && status->acLine == platform::kAcOffline;
}

std::optional<uint64_t> BacklightPanel::CurrentRaw() const {
  const std::string folder = std::string(kBacklights) + "/" + device_->name + "/";
  // What the panel shows; some drivers only keep the value asked for.
  if (auto actual = root_.Unsigned(folder + "actual_brightness")) return actual;
  return root_.Unsigned(folder + "brightness");
}

PowerAnswer<std::vector<uint8_t>> BacklightPanel::SupportedLevels() {
  if (!device_) return PowerAnswer<std::vector<uint8_t>>::Error(platform::kPowerErrorFileNotFound);
  return PowerAnswer<std::vector<uint8_t>>::Of(PercentSteps(device_->maxBrightness));
}

PowerAnswer<uint8_t> BacklightPanel::LevelNow() const {
  if (!device_) return PowerAnswer<uint8_t>::Error(platform::kPowerErrorFileNotFound);
  const auto raw = CurrentRaw();
  if (!raw) return PowerAnswer<uint8_t>::Error(platform::kPowerErrorFileNotFound);
  return PowerAnswer<uint8_t>::Of(PercentOfRaw(*raw, device_->maxBrightness));
}

PowerAnswer<PanelLevels> BacklightPanel::Levels() {
  if (!device_) return PowerAnswer<PanelLevels>::Error(platform::kPowerErrorFileNotFound);
  const auto raw = CurrentRaw();
  if (!raw) return PowerAnswer<PanelLevels>::Error(platform::kPowerErrorFileNotFound);
  const uint8_t now = PercentOfRaw(*raw, device_->maxBrightness);
  PanelLevels levels{now, now};
  if (remembered_) {
    if (OnBattery()) {
      levels.ac = remembered_->ac;
    } else {
      levels.dc = remembered_->dc;
    }
  }
  return PowerAnswer<PanelLevels>::Of(levels);
}

PowerCall BacklightPanel::SetLevels(PanelLevels levels) {
  if (!device_) return PowerCall::Error(platform::kPowerErrorFileNotFound);
  if (levels.ac > 100 || levels.dc > 100) {
    return PowerCall::Error(platform::kPowerErrorInvalidParameter);
  }
  const uint64_t raw = RawOfPercent(OnBattery() ? levels.dc : levels.ac, device_->maxBrightness);
  if (raw > UINT32_MAX) return PowerCall::Error(platform::kPowerErrorInvalidParameter);
  if (!bus_ || !bus_->IsOpen()) bus_ = SystemBus::Open();
  if (!bus_) return PowerCall::Error(SystemErrorOfBus(ECONNREFUSED));
  const BusReply reply = bus_->Call(session_, "SetBrightness", [&](sd_bus_message* call) {
    return sd_bus_message_append(call, "ssu", "backlight", device_->name.c_str(),
                                 static_cast<uint32_t>(raw));
  });
  if (reply.Failed()) return PowerCall::Error(reply.systemError);
  remembered_ = levels;
  return PowerCall::Ok();
}

}  // namespace pacetta::linux_os
