#pragma once
#include <memory>
#include <optional>

#include "app/advanced/centrino_chipset.h"
#include "cpu/advanced/ich/ich_registers.h"
#include "hw/portex_driver.h"

namespace pacetta {

// The Intel I/O controller hub as the Centrino container sees it: identified once, with
// its ACPI block's decode switched on for the run when the firmware left it off, and off
// again when the object goes.
class IchChipset final : public CentrinoChipset {
 public:
  explicit IchChipset(CPortexDriver& driver);
  ~IchChipset() override;
  IchChipset(const IchChipset&) = delete;
  IchChipset& operator=(const IchChipset&) = delete;

  const ChipsetIdentity& Identity() const override { return identity_; }
  bool Has(IchOption option) const override;
  uint32_t DprslpvrEntryCount() const override;
  ChipsetValues Read() override;
  std::optional<bool> ThrottlingActive() override;
  void Write(const ChipsetValues& values) override;
  ChipsetValues FromStored(const std::array<int32_t, kCentrinoSettingCount>& stored) override;
  void Store(const ChipsetValues& values,
             std::array<int32_t, kCentrinoSettingCount>& stored) const override;

 private:
  ChipsetIdentity identity_;
  // Present only for a known hub.
  std::optional<ich::HubRegisters> registers_;
  uint32_t acpiBase_ = 0;
  bool decodeSwitchedOn_ = false;
};

std::unique_ptr<CentrinoChipset> OpenCentrinoChipset(CPortexDriver& driver);

}  // namespace pacetta
