#pragma once
#include <map>
#include <optional>
#include <string>

#include "platform/sim/models/bit_field.h"
#include "platform/sim/models/family_model.h"
#include "platform/sim/models/register_file.h"

namespace pacetta::sim {

// AMD K7 (Athlon, Duron, mobile Athlon 4 and XP-M) FID/VID control MSR C001_0041h and
// status MSR C001_0042h, the hardware configuration register C001_0015h with its FID
// bits, and the clock-control register C001_001Bh.
//
// A control write with FIDC (bit 16) or VIDC (bit 17) puts the core into stop grant for
// the write's stop-grant count of bus clocks, during which the new FID or VID takes
// effect: software sees the change complete when the write returns (the K7 status has no
// pending bit). The part never runs a multiplier above its MaxFID nor a voltage above its
// MaxVID; such a request is refused and recorded.
//
// CLK_CTL's halt divisor sets the clock of a halted core (the chipset disconnects the bus
// on halt); its stop-grant divisor only acts in stop grant, which the simulated part
// passes through at once (transitions) and never rests in.
class K7Model final : public FamilyModel {
 public:
  static constexpr uint32_t kControl = 0xC0010041;
  static constexpr uint32_t kStatus = 0xC0010042;
  static constexpr uint32_t kHwcr = 0xC0010015;
  static constexpr uint32_t kClockControl = 0xC001001B;

  // FIDVID_CTL: FID 4..0, VID 12..8, FIDC 16, VIDC 17, SGTC 51..32.
  static constexpr BitField kFid{4, 0}, kVid{12, 8};
  static constexpr uint64_t kFidChange = Bit(16), kVidChange = Bit(17);
  // FIDVID_STATUS: CFID 4..0, SFID 12..8, MFID 20..16; CVID 36..32, SVID 44..40,
  // MVID 52..48.
  static constexpr BitField kCurrentFid{4, 0}, kStartFid{12, 8}, kMaxFid{20, 16},
      kCurrentVid{36, 32}, kStartVid{44, 40}, kMaxVid{52, 48};
  // HWCR: FID[3:0] in bits 27..24, FID[4] in bit 19 (the FID the part started with).
  static constexpr BitField kHwcrFidLow{27, 24};
  static constexpr uint64_t kHwcrFidHigh = Bit(19);

  K7Model(const ProcessorTraits& traits, const PowerOnData& data,
          const std::map<uint32_t, uint64_t>& msrStart, ClockNs clock);

  std::vector<uint32_t> AnsweredRegisters() const override;

 protected:
  MsrAccess ReadLocked(uint32_t index, uint64_t& value) override;
  MsrAccess WriteLocked(MsrContext& context, uint32_t index, uint64_t value) override;
  void Settle(uint64_t) override {}
  ModelState StateLocked() const override;

 private:
  double Volts(uint32_t vid) const;
  std::optional<std::string> Refusal(uint64_t value) const;
  // A CLK_CTL write that changes a reserved bit or asks for a reserved divisor.
  std::optional<std::string> ClockControlRefusal(uint64_t value) const;

  const bool fidVidControl_;
  const bool mobileVids_;
  OperatingPoint current_;
  OperatingPoint start_;
  OperatingPoint max_;
  uint64_t control_ = 0;
  RegisterFile registers_;
};

}  // namespace pacetta::sim
