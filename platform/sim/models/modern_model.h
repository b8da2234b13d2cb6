#pragma once
#include <map>
#include <mutex>
#include <optional>

#include "platform/sim/models/family_model.h"
#include "platform/sim/models/modern_parts.h"

namespace pacetta::sim {

// The performance-state registers of today's processors, whose clock the kernel's
// frequency driver owns: it steers the part through `Steer` with the policy's limits,
// and the part's own control (HWP on Intel, the SMU on Zen) moves the clock with the
// load between them.
//
//  - Intel (SDM vol. 4): MSR_PLATFORM_INFO CEh, IA32_PERF_STATUS 198h (ratio in bits
//    15:8, read-only), IA32_PERF_CTL 199h (kept, but without effect once HWP is on),
//    IA32_PM_ENABLE 770h (HWP on; only a reset clears it), IA32_HWP_CAPABILITIES 771h
//    (read-only), IA32_HWP_REQUEST 774h (the driver's request; the driver rewrites it,
//    so another writer's value has no effect), MSR_TEMPERATURE_TARGET 1A2h (read-only).
//  - AMD family 17h (PPR): PStateCurLim C001_0061h, PStateCtl C001_0062h (kept, without
//    effect while the driver owns the states), PStateStat C001_0063h, PStateDef
//    C001_0064h..66h (CpuFid 7:0 in 25 MHz steps at CpuDfsId 8, CpuDfsId 13:8, CpuVid
//    21:14, PstateEn 63) and HwPstateStatus C001_0293h, the last three read-only here.
//
// Writes to read-only registers fault and are recorded. Status registers report the clock
// a busy core runs at: the ceiling the policy allows.
class ModernModel final : public FamilyModel {
 public:
  static constexpr uint32_t kTjMaxC = 100;

  ModernModel(const ProcessorTraits& traits, const std::map<uint32_t, uint64_t>& msrStart,
              ClockNs clock);

  std::vector<uint32_t> AnsweredRegisters() const override;
  const ModernPart& Part() const { return part_; }

  // The kernel's policy: the clock stays within [floorRatio, ceilingRatio], at the
  // ceiling when busy. `epp` is the energy-performance preference (0 performance .. 255
  // power), shown in the HWP request.
  void Steer(uint32_t floorRatio, uint32_t ceilingRatio, uint32_t epp);

 protected:
  MsrAccess ReadLocked(uint32_t index, uint64_t& value) override;
  MsrAccess WriteLocked(MsrContext& context, uint32_t index, uint64_t value) override;
  void Settle(uint64_t nowNs) override;
  ModelState StateLocked() const override;

 private:
  bool Intel() const { return traits_.family == ModelFamily::kIntelHwp; }
  bool ReadOnly(uint32_t index) const;
  uint64_t HwpRequest() const;
  uint64_t PstateDef(unsigned n) const;
  unsigned CurrentPstate() const;

  const ProcessorTraits traits_;
  const ModernPart part_;
  uint32_t floor_ = 0;
  uint32_t ceiling_ = 0;
  uint32_t epp_ = 0x80;
  uint64_t perfControl_ = 0;
  uint64_t pstateControl_ = 0;

  // What `Steer` asked, taken over at the next access (the base class's lock is held
  // there, so Steer may not take it while holding this one).
  std::mutex steerMutex_;
  struct Steering {
    uint32_t floor, ceiling, epp;
  };
  std::optional<Steering> steering_;
};

}  // namespace pacetta::sim
