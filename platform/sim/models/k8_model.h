#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/sim/models/bit_field.h"
#include "platform/sim/models/family_model.h"
#include "platform/sim/models/register_file.h"

namespace pacetta::sim {

// AMD family 0Fh FID/VID control and status (BKDG for AMD Athlon 64 and Opteron, 26094,
// and for revision F, 32559: "FIDVID_CTL" MSR C001_0041h and "FIDVID_STATUS" MSR
// C001_0042h) and the hardware configuration register with its start FID.
//
// A control write with InitFidVid starts a transition: FidVidPending stays set for the
// stop-grant time the write asks for (StpGntTOCnt periods of the 5 ns reference clock),
// then the new FID or VID shows as current. The part refuses what would damage it or
// lose lock; the simulation leaves the state unchanged and records the violation.
class K8Model final : public FamilyModel {
 public:
  static constexpr uint32_t kControl = 0xC0010041;
  static constexpr uint32_t kStatus = 0xC0010042;
  static constexpr uint32_t kHwcr = 0xC0010015;

  // FIDVID_CTL fields.
  static constexpr BitField kNewFid{5, 0};
  static constexpr uint64_t kInitFidVid = Bit(16);
  static constexpr BitField kStopGrantCount{51, 32};
  static constexpr uint64_t kStopGrantPeriodNs = 5;
  // FIDVID_STATUS fields (the VID fields are 5 bits before revision F, 6 bits after).
  static constexpr BitField kCurrentFid{5, 0}, kStartFid{13, 8}, kMaxFid{21, 16},
      kMaxRampVid{29, 24};
  static constexpr uint64_t kFidVidPending = Bit(31);
  static constexpr BitField kStatusHighBits{61, 56};  // MinVID (rev. E); flags (rev. F)
  // HWCR bits 29..24: the FID the part started with.
  static constexpr BitField kHwcrStartFid{29, 24};

  K8Model(const ProcessorTraits& traits, const PowerOnData& data,
          const std::map<uint32_t, uint64_t>& msrStart, ClockNs clock);

  std::vector<uint32_t> AnsweredRegisters() const override;
  // The node's northbridge sets the clock of the core in halt (its C1 mode byte).
  void SetHaltedClockDivisor(uint32_t divisor) {
    ChangeState([this, divisor] { haltedClockDivisor_ = divisor; });
  }

 protected:
  MsrAccess ReadLocked(uint32_t index, uint64_t& value) override;
  MsrAccess WriteLocked(MsrContext& context, uint32_t index, uint64_t value) override;
  void Settle(uint64_t nowNs) override;
  ModelState StateLocked() const override;

 private:
  BitField VidField(unsigned low) const { return {low + (npt_ ? 5u : 4u), low}; }
  uint64_t Status() const;
  std::optional<std::string> Refusal(OperatingPoint requested) const;

  const bool fidVidControl_;
  const bool fineSteps_;
  const bool npt_;
  OperatingPoint current_;
  OperatingPoint start_;
  OperatingPoint max_;
  uint32_t maxRampVid_ = 0;
  uint32_t statusHighBits_ = 0;
  uint64_t control_ = 0;
  struct Pending {
    OperatingPoint target;
    uint64_t endNs;
  };
  std::optional<Pending> pending_;
  uint32_t haltedClockDivisor_ = 1;
  RegisterFile registers_;
};

}  // namespace pacetta::sim
