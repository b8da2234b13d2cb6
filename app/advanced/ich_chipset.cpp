#include "app/advanced/ich_chipset.h"

#include "cpu/advanced/ich/ich_hub.h"

namespace pacetta {
namespace {

static_assert(kIchOptionCount == ich::kFieldCount);
// The stored values: the options in their order, then the two throttle keys and the lock.
constexpr size_t kThermalThrottleKey = kIchOptionCount;
constexpr size_t kNormalThrottleKey = kIchOptionCount + 1;
constexpr size_t kThrottleLockKey = kIchOptionCount + 2;
static_assert(kThrottleLockKey + 1 == kCentrinoSettingCount);
constexpr int32_t kThrottleEnableFlag = 8;
constexpr uint32_t kDutyMask = 7;

ich::Field FieldOf(size_t index) {
  return static_cast<ich::Field>(index);
}

}  // namespace

IchChipset::IchChipset(CPortexDriver& driver) {
  CPCIBusManager pci(driver);
  const ich::HubIdentity hub = ich::ReadHubIdentity(pci);
  identity_.vendorId = hub.vendorId;
  identity_.deviceId = hub.deviceId;
  if (!hub.model) return;
  identity_.name = hub.model->name;
  identity_.generation = hub.model->generation;
  registers_.emplace(driver, hub.model->generation);
  acpiBase_ = registers_->ReadAcpiBase();
  // A base the firmware left unassigned would put the block over the legacy devices of
  // the lowest ports; throttling stays unavailable rather than decode it there.
  if (acpiBase_ < ich::kLowestAcpiBase) return;
  if (!registers_->AcpiDecodeEnabled()) {
    registers_->SetAcpiDecode(true);
    decodeSwitchedOn_ = true;
  }
  identity_.throttlingAvailable = true;
}

IchChipset::~IchChipset() {
  if (decodeSwitchedOn_) registers_->SetAcpiDecode(false);
}

bool IchChipset::Has(IchOption option) const {
  return identity_.generation &&
         ich::HasSetting(FieldOf(static_cast<size_t>(option)), *identity_.generation);
}

uint32_t IchChipset::DprslpvrEntryCount() const {
  return ich::DprslpvrEntries(identity_.generation.value_or(0));
}

ChipsetValues IchChipset::Read() {
  ChipsetValues values;
  if (!registers_) return values;
  for (size_t k = 0; k < kIchOptionCount; ++k) values.options[k] = registers_->Read(FieldOf(k));
  if (identity_.throttlingAvailable) {
    const ich::Throttling throttling =
        ich::DecodeThrottling(registers_->ReadProcessorControl(acpiBase_));
    values.forceThermalThrottling = throttling.forceThermal;
    values.thermalDuty = throttling.thermalDuty;
    values.normalThrottling = throttling.normal;
    values.normalDuty = throttling.normalDuty;
  }
  return values;
}

std::optional<bool> IchChipset::ThrottlingActive() {
  if (!identity_.throttlingAvailable) return std::nullopt;
  return (registers_->ReadProcessorControl(acpiBase_) & ich::kThrottleStatus) != 0;
}

void IchChipset::Write(const ChipsetValues& values) {
  if (!registers_) return;
  for (size_t k = 0; k < kIchOptionCount; ++k) registers_->Write(FieldOf(k), values.options[k]);
  if (!identity_.throttlingAvailable) return;
  registers_->WriteThrottling(acpiBase_, {.forceThermal = values.forceThermalThrottling,
                                          .thermalDuty = values.thermalDuty,
                                          .normal = values.normalThrottling,
                                          .normalDuty = values.normalDuty});
}

ChipsetValues IchChipset::FromStored(const std::array<int32_t, kCentrinoSettingCount>& stored) {
  ChipsetValues values = Read();
  if (!identity_.generation) return values;
  for (size_t k = 0; k < kIchOptionCount; ++k) {
    if (Has(static_cast<IchOption>(k))) values.options[k] = static_cast<uint32_t>(stored[k]);
  }
  const int32_t thermal = stored[kThermalThrottleKey];
  const int32_t normal = stored[kNormalThrottleKey];
  values.forceThermalThrottling = (thermal & kThrottleEnableFlag) != 0;
  values.thermalDuty = static_cast<uint32_t>(thermal) & kDutyMask;
  values.normalThrottling = (normal & kThrottleEnableFlag) != 0;
  values.normalDuty = static_cast<uint32_t>(normal) & kDutyMask;
  values.throttleLock = stored[kThrottleLockKey] != 0;
  return values;
}

void IchChipset::Store(const ChipsetValues& values,
                       std::array<int32_t, kCentrinoSettingCount>& stored) const {
  if (!identity_.generation) return;
  for (size_t k = 0; k < kIchOptionCount; ++k) {
    if (Has(static_cast<IchOption>(k))) stored[k] = static_cast<int32_t>(values.options[k]);
  }
  stored[kThermalThrottleKey] = static_cast<int32_t>(values.thermalDuty & kDutyMask) |
                                (values.forceThermalThrottling ? kThrottleEnableFlag : 0);
  stored[kNormalThrottleKey] = static_cast<int32_t>(values.normalDuty & kDutyMask) |
                               (values.normalThrottling ? kThrottleEnableFlag : 0);
  stored[kThrottleLockKey] = values.throttleLock ? 1 : 0;
}

std::unique_ptr<CentrinoChipset> OpenCentrinoChipset(CPortexDriver& driver) {
  return std::make_unique<IchChipset>(driver);
}

}  // namespace pacetta
