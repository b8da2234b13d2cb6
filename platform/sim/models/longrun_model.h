#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/sim/driver/driver_hardware.h"
#include "platform/sim/driver/pci_config_space.h"
#include "platform/sim/machine.h"
#include "platform/sim/models/family_model.h"
#include "platform/sim/models/longrun_levels.h"

namespace pacetta::sim {

// LongRun on a Crusoe: the processor picks its own level (clock and voltage) from its
// load, within bounds the software sets.
//  - 80868010h: low = lower bound, high = upper bound, in percent of the performance
//    range. A lower bound above the upper, or a bound above 100, is refused (recorded,
//    the bounds stay).
//  - 80868011h: low bit 0 = performance mode (1) or economy (0); the other bits are
//    reserved: a write setting any of them is refused.
//  - 80868018h..8086801Dh, the LongRun Table Interface: 18h reads the selected level in
//    low and the highest level number in high, and a write of low = n selects level n (a
//    level the part does not have is refused); 19h..1Dh read the selected level's
//    performance index, MHz (low) and mV (high), SDR (low) and DDR (high) divisors, PCI
//    divisor and gate delay. They are read-only.
// The level runs within the bounds' levels: performance mode leans towards the top,
// economy towards the bottom. An engaged Advanced Thermal Management cuts the top by
// 12.5 % per ATM level. Leaf 80860007h reports the present MHz, mV and performance index.
class LongRunModel final : public FamilyModel {
 public:
  static constexpr uint32_t kBounds = 0x80868010;
  static constexpr uint32_t kMode = 0x80868011;
  static constexpr uint32_t kLevelSelect = 0x80868018;
  static constexpr uint32_t kPerformanceIndex = 0x80868019;
  static constexpr uint32_t kClock = 0x8086801A;
  static constexpr uint32_t kMemoryDivisors = 0x8086801B;
  static constexpr uint32_t kPciDivisor = 0x8086801C;
  static constexpr uint32_t kGateDelay = 0x8086801D;
  static constexpr uint32_t kPresentLeaf = 0x80860007;

  LongRunModel(std::span<const LongRunLevel> levels, const std::map<uint32_t, uint64_t>& msrStart,
               ClockNs clock);

  std::vector<uint32_t> AnsweredRegisters() const override;
  void FollowLoad(BusyShare busy) override;

  // The ATM level now in force (0 = none), from the northbridge's register.
  void SetAtmLevel(uint32_t level);

 protected:
  MsrAccess ReadLocked(uint32_t index, uint64_t& value) override;
  MsrAccess WriteLocked(MsrContext& context, uint32_t index, uint64_t value) override;
  void Settle(uint64_t nowNs) override;
  ModelState StateLocked() const override;
  std::optional<platform::CpuidResult> LeafLocked(uint32_t leaf) override;

 private:
  std::optional<std::string> BoundsRefusal(uint64_t value) const;

  const std::span<const LongRunLevel> levels_;
  BusyShare busy_;
  uint32_t lower_ = 0;
  uint32_t upper_ = 100;
  bool performance_ = true;
  uint32_t selected_ = 0;
  uint32_t atmLevel_ = 0;
  uint32_t present_ = 0;
};

// The northbridge's ATM register (bus 0, device 0, function 0, A8h): bit 0 ATM present
// (read-only), bit 4 engaged, bits 3:1 the field f; an engaged register with f >= 2 is
// ATM level 8 - f. The other bits are reserved and read as zero.
class LongRunAtmRegister final : public PciRegister {
 public:
  static constexpr uint32_t kOffset = 0xA8;
  using Listener = std::function<void(uint32_t level)>;

  LongRunAtmRegister(uint32_t start, Listener listener);
  uint32_t Read() override;
  void Write(uint32_t value, uint32_t byteMask) override;
  static uint32_t LevelOf(uint32_t value);

 private:
  std::mutex mutex_;
  uint32_t value_;
  const Listener listener_;
};

// Puts the ATM register in the Crusoe northbridge of `machine` (when it has one) and
// tells every LongRun model among `models` of its level.
void AttachLongRunAtm(const MachineSpec& machine, DriverHardware& hardware,
                      std::span<const std::shared_ptr<FamilyModel>> models);

}  // namespace pacetta::sim
