#include "cpu/advanced/longrun/longrun_atm.h"

#include "hw/pci_bus_manager.h"

namespace pacetta::longrun {
namespace {

constexpr uint32_t kPresent = 1u << 0;
constexpr uint32_t kEngaged = 1u << 4;
constexpr uint32_t kFieldShift = 1, kFieldMask = 7u << kFieldShift;
constexpr PciLocation kNorthbridge{0, 0};

// An absent function reads all ones: that is no ATM, not a present one.
std::optional<uint32_t> ReadRegister(CPCIBusManager& pci) {
  const uint32_t reg = pci.ReadConfigDword(kNorthbridge, kAtmRegister);
  if (reg == 0xFFFFFFFFu || (reg & kPresent) == 0) return std::nullopt;
  return reg;
}

}  // namespace

uint32_t DecodeAtmLevel(uint32_t reg) {
  const uint32_t field = (reg & kFieldMask) >> kFieldShift;
  if ((reg & kEngaged) == 0 || field < 2) return 0;
  return 8 - field;
}

uint32_t EncodeAtmLevel(uint32_t reg, uint32_t level) {
  reg &= ~(kEngaged | kFieldMask);
  if (level != 0) reg |= kEngaged;
  return reg | ((8 - level) & 7u) << kFieldShift;
}

std::optional<AtmState> ReadAtm(CPortexDriver& driver) {
  CPCIBusManager pci(driver);
  const auto reg = ReadRegister(pci);
  if (!reg) return std::nullopt;
  return AtmState{DecodeAtmLevel(*reg)};
}

bool WriteAtm(CPortexDriver& driver, uint32_t level) {
  if (level > kAtmLevelMax) return false;
  CPCIBusManager pci(driver);
  const auto reg = ReadRegister(pci);
  if (!reg) return false;
  return pci.WriteConfigDword(kNorthbridge, kAtmRegister, EncodeAtmLevel(*reg, level));
}

}  // namespace pacetta::longrun
