#include "hw/k8_northbridge.h"

#include "hw/k8_northbridge_devfn.h"

namespace pacetta {

namespace {

std::optional<PciLocation> NodeLocation(uint32_t node) {
  const auto devfn = NorthbridgeDevfn(node, kK8MiscControlFunction);
  if (!devfn) return std::nullopt;
  return PciLocation{0, *devfn};
}

}  // namespace

CK8Northbridge::CK8Northbridge(CPortexDriver& driver) : pci_(driver), selected_(NodeLocation(0)) {}

CK8Northbridge::Session::Session(CK8Northbridge& owner, uint32_t node)
    : owner_(owner), lock_(owner.mutex_) {
  owner_.selected_ = NodeLocation(node);
}

CK8Northbridge::Session CK8Northbridge::Select(uint32_t node) {
  return Session(*this, node);
}

std::optional<PciLocation> CK8Northbridge::SelectedLocation() {
  std::lock_guard lock(mutex_);
  return selected_;
}

uint32_t CK8Northbridge::Session::ReadByte(uint32_t reg) {
  return HasDevice() ? owner_.pci_.ReadConfigByte(*owner_.selected_, reg) : 0;
}

uint32_t CK8Northbridge::Session::ReadWord(uint32_t reg) {
  return HasDevice() ? owner_.pci_.ReadConfigWord(*owner_.selected_, reg) : 0;
}

uint32_t CK8Northbridge::Session::ReadDword(uint32_t reg) {
  return HasDevice() ? owner_.pci_.ReadConfigDword(*owner_.selected_, reg) : 0;
}

bool CK8Northbridge::Session::WriteByte(uint32_t reg, uint32_t value) {
  return HasDevice() && owner_.pci_.WriteConfigByte(*owner_.selected_, reg, value);
}

bool CK8Northbridge::Session::WriteWord(uint32_t reg, uint32_t value) {
  return HasDevice() && owner_.pci_.WriteConfigWord(*owner_.selected_, reg, value);
}

bool CK8Northbridge::Session::WriteDword(uint32_t reg, uint32_t value) {
  return HasDevice() && owner_.pci_.WriteConfigDword(*owner_.selected_, reg, value);
}

}  // namespace pacetta
