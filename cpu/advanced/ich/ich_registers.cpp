#include "cpu/advanced/ich/ich_registers.h"

#include "cpu/advanced/ich/ich_hub.h"

namespace pacetta::ich {
namespace {

constexpr unsigned kNormalDutyShift = 1;
constexpr uint32_t kNormalEnable = 1u << 4;
constexpr unsigned kThermalDutyShift = 5;
constexpr uint32_t kForceThermal = 1u << 8;
constexpr uint32_t kDutyMask = 7;
constexpr uint32_t kThrottleFields = 0x1FE;

}  // namespace

Throttling DecodeThrottling(uint32_t processorControl) {
  return {.forceThermal = (processorControl & kForceThermal) != 0,
          .thermalDuty = processorControl >> kThermalDutyShift & kDutyMask,
          .normal = (processorControl & kNormalEnable) != 0,
          .normalDuty = processorControl >> kNormalDutyShift & kDutyMask};
}

uint32_t EncodeThrottling(uint32_t processorControl, const Throttling& throttling) {
  return (processorControl & ~kThrottleFields) | (throttling.forceThermal ? kForceThermal : 0) |
         (throttling.thermalDuty & kDutyMask) << kThermalDutyShift |
         (throttling.normal ? kNormalEnable : 0) |
         (throttling.normalDuty & kDutyMask) << kNormalDutyShift;
}

uint32_t HubRegisters::ReadRegister(uint32_t reg, unsigned bytes) {
  return bytes == 2 ? pci_.ReadConfigWord(kLpcBridge, reg) : pci_.ReadConfigByte(kLpcBridge, reg);
}

void HubRegisters::WriteRegister(uint32_t reg, unsigned bytes, uint32_t value) {
  if (bytes == 2) {
    pci_.WriteConfigWord(kLpcBridge, reg, value);
  } else {
    pci_.WriteConfigByte(kLpcBridge, reg, value);
  }
}

uint32_t HubRegisters::Read(Field field) {
  if (!Reaches(field, generation_)) return 0;
  const FieldLayout& layout = LayoutOf(field);
  return Extract(field, ReadRegister(layout.reg, layout.bytes));
}

void HubRegisters::Write(Field field, uint32_t value) {
  if (!Reaches(field, generation_)) return;
  const FieldLayout& layout = LayoutOf(field);
  const uint32_t image = ReadRegister(layout.reg, layout.bytes);
  if (!HasSetting(field, generation_)) value = Extract(field, image);
  WriteRegister(layout.reg, layout.bytes, Insert(field, image, value));
}

uint32_t HubRegisters::ReadAcpiBase() {
  return pci_.ReadConfigDword(kLpcBridge, kPmBase) & kPmBaseMask;
}

bool HubRegisters::AcpiDecodeEnabled() {
  return (pci_.ReadConfigByte(kLpcBridge, kAcpiControl) & AcpiDecodeBit(generation_)) != 0;
}

void HubRegisters::SetAcpiDecode(bool enabled) {
  const uint32_t control = pci_.ReadConfigByte(kLpcBridge, kAcpiControl);
  const uint32_t bit = AcpiDecodeBit(generation_);
  pci_.WriteConfigByte(kLpcBridge, kAcpiControl, enabled ? control | bit : control & ~bit);
}

uint32_t HubRegisters::ReadProcessorControl(uint32_t acpiBase) {
  return driver_.ReadPortDword(acpiBase + kProcessorControl);
}

void HubRegisters::WriteThrottling(uint32_t acpiBase, const Throttling& throttling) {
  const uint32_t port = acpiBase + kProcessorControl;
  // THTL_STS is read-only; writing back what was read leaves it to the hub.
  driver_.WritePortDword(port, EncodeThrottling(driver_.ReadPortDword(port), throttling));
}

}  // namespace pacetta::ich
