#include "platform/sim/models/counter_registers.h"

#include "platform/sim/models/bit_field.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kTimeStampCounter = 0x10;

constexpr uint32_t kAmdSelect = 0xC0010000, kAmdCounter = 0xC0010004;
constexpr uint32_t kIntelSelect = 0x186, kIntelCounter = 0xC1;
constexpr uint32_t kNetBurstCounter = 0x300, kNetBurstCccr = 0x360;
constexpr uint32_t kFsbEscr0 = 0x3A2, kFsbEscr1 = 0x3A3;

// Event select fields shared by the AMD and P6 layouts.
constexpr BitField kEvent{7, 0};
constexpr uint64_t kUser = Bit(16), kKernel = Bit(17), kEnable = Bit(22);
constexpr uint64_t kSelectReserved = 0xFFFFFFFF'00000000ull;
constexpr uint32_t kAmdUnhalted = 0x76, kP6Unhalted = 0x79, kCoreUnhalted = 0x3C;
// NetBurst CCCR: enable 12, ESCR select 15..13; ESCR: event select 30..25, event mask
// 24..9, T0_OS 3, T0_USR 2, T1_OS 1, T1_USR 0.
constexpr uint64_t kCccrEnable = Bit(12);
constexpr BitField kEscrSelect{15, 13}, kEscrEvent{30, 25};
constexpr uint32_t kFsbEscrSelect = 6, kGlobalPowerEvents = 0x13;
constexpr uint64_t kRunning = Bit(9);
constexpr uint64_t kEscrUser = Bit(2) | Bit(0), kEscrKernel = Bit(3) | Bit(1);

uint64_t SignExtend32(uint64_t value, uint64_t mask) {
  const uint64_t low = value & 0xFFFFFFFF;
  return ((low & 0x80000000) != 0 ? low | ~uint64_t{0xFFFFFFFF} : low) & mask;
}

}  // namespace

CounterRegisters::CounterRegisters(ModelFamily family, std::shared_ptr<ProcessorActivity> activity)
    : activity_(std::move(activity)) {
  switch (family) {
    case ModelFamily::kAmdK7:
    case ModelFamily::kAmdK8:
      layout_ = Layout::kAmd;
      break;
    case ModelFamily::kPentiumM:
      layout_ = Layout::kP6;
      break;
    case ModelFamily::kCoreDuo:
    case ModelFamily::kCore2:
      layout_ = Layout::kCore;
      break;
    case ModelFamily::kPentium4:
    case ModelFamily::kPentium4Model2:
      layout_ = Layout::kNetBurst;
      break;
    default:
      layout_ = Layout::kNone;
  }
  const auto busy = activity_->Busy();
  for (Counter& counter : counters_) counter.anchor = busy;
}

std::optional<uint32_t> CounterRegisters::CounterBase() const {
  switch (layout_) {
    case Layout::kAmd:
      return kAmdCounter;
    case Layout::kP6:
    case Layout::kCore:
      return kIntelCounter;
    case Layout::kNetBurst:
      return kNetBurstCounter;
    case Layout::kNone:
      break;
  }
  return std::nullopt;
}

uint64_t CounterRegisters::Width() const {
  return layout_ == Layout::kAmd ? (uint64_t{1} << 48) - 1 : (uint64_t{1} << 40) - 1;
}

std::optional<unsigned> CounterRegisters::CounterOf(uint32_t index) const {
  switch (layout_) {
    case Layout::kAmd:
      if (index >= kAmdCounter && index < kAmdCounter + 4) return index - kAmdCounter;
      break;
    case Layout::kP6:
    case Layout::kCore:
      if (index >= kIntelCounter && index < kIntelCounter + 2) return index - kIntelCounter;
      break;
    case Layout::kNetBurst:
      if (index >= kNetBurstCounter && index < kNetBurstCounter + 4)
        return index - kNetBurstCounter;
      break;
    case Layout::kNone:
      break;
  }
  return std::nullopt;
}

std::optional<unsigned> CounterRegisters::ControlOf(uint32_t index) const {
  switch (layout_) {
    case Layout::kAmd:
      if (index >= kAmdSelect && index < kAmdSelect + 4) return index - kAmdSelect;
      break;
    case Layout::kP6:
    case Layout::kCore:
      if (index >= kIntelSelect && index < kIntelSelect + 2) return index - kIntelSelect;
      break;
    case Layout::kNetBurst:
      if (index >= kNetBurstCccr && index < kNetBurstCccr + 4) return index - kNetBurstCccr;
      break;
    case Layout::kNone:
      break;
  }
  return std::nullopt;
}

void CounterRegisters::Modes(unsigned n, bool& user, bool& kernel) const {
  user = kernel = false;
  const uint64_t control = controls_[n];
  switch (layout_) {
    case Layout::kAmd:
      if ((control & kEnable) == 0 || kEvent.Get(control) != kAmdUnhalted) return;
      break;
    case Layout::kP6:
      // The P6 family enables both counters with PerfEvtSel0's EN bit.
      if ((controls_[0] & kEnable) == 0 || kEvent.Get(control) != kP6Unhalted) return;
      break;
    case Layout::kCore:
      if ((control & kEnable) == 0 || kEvent.Get(control) != kCoreUnhalted) return;
      break;
    case Layout::kNetBurst: {
      if ((control & kCccrEnable) == 0 || kEscrSelect.Get(control) != kFsbEscrSelect) return;
      const uint64_t escr = escrs_[n < 2 ? 0 : 1];
      if (kEscrEvent.Get(escr) != kGlobalPowerEvents || (escr & kRunning) == 0) return;
      user = (escr & kEscrUser) != 0;
      kernel = (escr & kEscrKernel) != 0;
      return;
    }
    case Layout::kNone:
      return;
  }
  user = (control & kUser) != 0;
  kernel = (control & kKernel) != 0;
}

uint64_t CounterRegisters::Now(unsigned n, const ProcessorActivity::BusyCycles& busy) const {
  const Counter& counter = counters_[n];
  uint64_t value = counter.value;
  if (counter.user) value += busy.user - counter.anchor.user;
  if (counter.kernel) value += busy.kernel - counter.anchor.kernel;
  return value & Width();
}

void CounterRegisters::StopAll(const ProcessorActivity::BusyCycles& busy) {
  for (unsigned n = 0; n < kCounters; ++n) {
    counters_[n].value = Now(n, busy);
    counters_[n].anchor = busy;
  }
}

void CounterRegisters::StartAll() {
  for (unsigned n = 0; n < kCounters; ++n) Modes(n, counters_[n].user, counters_[n].kernel);
}

MsrAccess CounterRegisters::Read(MsrContext&, uint32_t index, uint64_t& value) {
  if (index == kTimeStampCounter) {
    value = activity_->TimeStampCounter();
  } else if (const auto n = CounterOf(index)) {
    value = Now(*n, activity_->Busy());
  } else if (const auto c = ControlOf(index)) {
    value = controls_[*c];
  } else if (layout_ == Layout::kNetBurst && (index == kFsbEscr0 || index == kFsbEscr1)) {
    value = escrs_[index - kFsbEscr0];
  } else {
    return MsrAccess::kNotHandled;
  }
  return MsrAccess::kDone;
}

MsrAccess CounterRegisters::Write(MsrContext&, uint32_t index, uint64_t value) {
  if (index == kTimeStampCounter) {
    // Intel SDM, "Time-Stamp Counter": the P6 family and the Pentium 4 write only the
    // low 32 bits and clear the high half.
    const bool amd = layout_ == Layout::kAmd;
    activity_->WriteTimeStampCounter(amd ? value : value & 0xFFFFFFFF);
    return MsrAccess::kDone;
  }
  if (const auto n = CounterOf(index)) {
    const bool signExtended = layout_ == Layout::kP6 || layout_ == Layout::kCore;
    counters_[*n].value = signExtended ? SignExtend32(value, Width()) : value & Width();
    counters_[*n].anchor = activity_->Busy();
    return MsrAccess::kDone;
  }
  return WriteControl(index, value);
}

MsrAccess CounterRegisters::WriteControl(uint32_t index, uint64_t value) {
  if (layout_ == Layout::kNetBurst && (index == kFsbEscr0 || index == kFsbEscr1)) {
    if ((value & kSelectReserved) != 0) return MsrAccess::kFault;
    StopAll(activity_->Busy());
    escrs_[index - kFsbEscr0] = value;
    StartAll();
    return MsrAccess::kDone;
  }
  const auto c = ControlOf(index);
  if (!c) return MsrAccess::kNotHandled;
  if ((value & kSelectReserved) != 0) return MsrAccess::kFault;  // reserved, must be zero
  // Every counter stops at its value under the old controls before the new ones apply
  // (the P6 family's EN bit in PerfEvtSel0 governs both counters).
  StopAll(activity_->Busy());
  controls_[*c] = value;
  StartAll();
  return MsrAccess::kDone;
}

}  // namespace pacetta::sim
