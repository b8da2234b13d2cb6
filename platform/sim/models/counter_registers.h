#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/sim/driver/msr_bank.h"
#include "platform/sim/models/processor_activity.h"
#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {

// The time-stamp counter (MSR 10h) and the performance counters of one processor, as
// each family lays them out. Only the unhalted-cycle event is modelled: a counter
// programmed for it advances with the processor's busy cycles in the selected modes; a
// counter programmed otherwise holds its value.
//
//  - AMD K7 and K8 (BKDG, "Performance Monitoring"): PerfEvtSel0..3 C001_0000h..3h,
//    PerfCtr0..3 C001_0004h..7h of 48 bits; event 76h "CPU clocks not halted"; USR 16,
//    OS 17, EN 22.
//  - Pentium M (P6 family): PerfEvtSel0/1 186h/187h, PerfCtr0/1 C1h/C2h of 40 bits;
//    event 79h CPU_CLK_UNHALTED; EN of PerfEvtSel0 enables both counters.
//  - Core Duo and Core 2: the same registers with event 3Ch "unhalted core cycles" and an
//    EN bit per counter.
//  - Pentium 4 (Intel SDM, "Performance Monitoring (Processors Based on Intel NetBurst
//    Microarchitecture)"): BPU_COUNTER0..3 300h..303h of 40 bits with BPU_CCCR0..3
//    360h..363h, and FSB_ESCR0/1 3A2h/3A3h; event global_power_events (13h) with mask
//    RUNNING through ESCR select 6 (FSB_ESCR0 for counters 0 and 1, FSB_ESCR1 for 2
//    and 3).
//
// Intel parts write only the low 32 bits of a counter, sign-extended (of the time-stamp
// counter: zero-extended); AMD parts write all of it.
class CounterRegisters final : public MsrHandler {
 public:
  CounterRegisters(ModelFamily family, std::shared_ptr<ProcessorActivity> activity);

  // The register of performance counter 0 (RDPMC's counter 0), if the family has one.
  std::optional<uint32_t> CounterBase() const;

  MsrAccess Read(MsrContext& context, uint32_t index, uint64_t& value) override;
  MsrAccess Write(MsrContext& context, uint32_t index, uint64_t value) override;

 private:
  enum class Layout { kNone, kAmd, kP6, kCore, kNetBurst };
  static constexpr unsigned kCounters = 4;

  struct Counter {
    uint64_t value = 0;  // at the anchor
    ProcessorActivity::BusyCycles anchor;
    bool user = false;
    bool kernel = false;
  };

  uint64_t Width() const;
  std::optional<unsigned> CounterOf(uint32_t index) const;
  std::optional<unsigned> ControlOf(uint32_t index) const;
  uint64_t Now(unsigned n, const ProcessorActivity::BusyCycles& busy) const;
  // A control change: every counter stops at its value under the old controls, then
  // counts again as the new ones say.
  void StopAll(const ProcessorActivity::BusyCycles& busy);
  void StartAll();
  void Modes(unsigned n, bool& user, bool& kernel) const;
  MsrAccess WriteControl(uint32_t index, uint64_t value);

  Layout layout_;
  std::shared_ptr<ProcessorActivity> activity_;
  std::array<Counter, kCounters> counters_{};
  std::array<uint64_t, kCounters> controls_{};  // event selects, or the NetBurst CCCRs
  std::array<uint64_t, 2> escrs_{};             // NetBurst FSB_ESCR0/1
};

}  // namespace pacetta::sim
