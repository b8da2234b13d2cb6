#include "platform/sim/models/modern_counters.h"

#include <cmath>
#include <functional>
#include <map>

#include "platform/sim/models/modern_parts.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kMperf = 0xE7, kAperf = 0xE8;
constexpr uint32_t kIntelPowerUnit = 0x606, kIntelPackageEnergy = 0x611;
constexpr uint32_t kAmdPowerUnit = 0xC0010299, kAmdCoreEnergy = 0xC001029A;
constexpr uint32_t kAmdPackageEnergy = 0xC001029B;
// Power unit 1/8 W (3:0), energy unit (12:8), time unit 1/1024 s (19:16).
constexpr uint64_t kIntelUnits = 0x000A0E03, kAmdUnits = 0x000A1003;

uint64_t BusyCycles(const ProcessorActivity::BusyCycles& busy) {
  return busy.user + busy.kernel;
}

}  // namespace

double EnergyMeter::Joules() const {
  double sum = 0;
  for (const auto& member : members_) sum += member->Temperature().joules;
  return sum;
}

ModernCounters::ModernCounters(ModelFamily family, std::shared_ptr<ProcessorActivity> activity,
                               std::shared_ptr<const EnergyMeter> core,
                               std::shared_ptr<const EnergyMeter> package)
    : family_(family),
      activity_(std::move(activity)),
      core_(std::move(core)),
      package_(std::move(package)) {}

uint64_t ModernCounters::EnergyCount(const EnergyMeter& meter) const {
  const double units = std::ldexp(meter.Joules(), static_cast<int>(EnergyUnitBits()));
  return static_cast<uint64_t>(units) & 0xFFFFFFFF;
}

bool ModernCounters::IsEnergyRegister(uint32_t index) const {
  if (Intel()) return index == kIntelPowerUnit || index == kIntelPackageEnergy;
  return index == kAmdPowerUnit || index == kAmdCoreEnergy || index == kAmdPackageEnergy;
}

MsrAccess ModernCounters::Read(MsrContext&, uint32_t index, uint64_t& value) {
  switch (index) {
    case kMperf:
      value = activity_->Busy().reference + mperfOffset_;
      return MsrAccess::kDone;
    case kAperf:
      value = BusyCycles(activity_->Busy()) + aperfOffset_;
      return MsrAccess::kDone;
    default:
      break;
  }
  if (!IsEnergyRegister(index)) return MsrAccess::kNotHandled;
  if (index == kIntelPowerUnit || index == kAmdPowerUnit) {
    value = Intel() ? kIntelUnits : kAmdUnits;
  } else {
    value = EnergyCount(index == kAmdCoreEnergy ? *core_ : *package_);
  }
  return MsrAccess::kDone;
}

MsrAccess ModernCounters::Write(MsrContext& context, uint32_t index, uint64_t value) {
  if (index == kMperf) {
    mperfOffset_ = value - activity_->Busy().reference;
    return MsrAccess::kDone;
  }
  if (index == kAperf) {
    aperfOffset_ = value - BusyCycles(activity_->Busy());
    return MsrAccess::kDone;
  }
  if (!IsEnergyRegister(index)) return MsrAccess::kNotHandled;
  context.violations.Append({context.processor, index, value, "read-only register"});
  return MsrAccess::kFault;
}

void AttachModernCounters(const std::vector<uint32_t>& apicIds,
                          const std::vector<ModelFamily>& families,
                          std::span<const std::shared_ptr<ProcessorActivity>> activities,
                          const std::function<MsrBank*(unsigned)>& bank) {
  std::vector<std::shared_ptr<ProcessorActivity>> package;
  std::map<uint32_t, std::vector<std::shared_ptr<ProcessorActivity>>> cores;
  for (size_t k = 0; k < families.size() && k < activities.size(); ++k) {
    if (!IsModernFamily(families[k]) || !activities[k]) continue;
    package.push_back(activities[k]);
    cores[apicIds[k] >> 1].push_back(activities[k]);
  }
  if (package.empty()) return;
  const auto packageMeter = std::make_shared<const EnergyMeter>(std::move(package));
  std::map<uint32_t, std::shared_ptr<const EnergyMeter>> coreMeters;
  for (auto& [core, members] : cores) {
    coreMeters[core] = std::make_shared<const EnergyMeter>(std::move(members));
  }
  for (unsigned k = 0; k < families.size() && k < activities.size(); ++k) {
    MsrBank* target = bank(k);
    if (target == nullptr || !IsModernFamily(families[k]) || !activities[k]) continue;
    target->AddHandler(std::make_shared<ModernCounters>(families[k], activities[k],
                                                        coreMeters[apicIds[k] >> 1], packageMeter));
  }
}

}  // namespace pacetta::sim
