#include "engine/management/management_threads.h"

#include <algorithm>

#include "engine/management/apply.h"
#include "engine/management/combined_load.h"
#include "hw/pinning.h"

namespace pacetta::management {
namespace {

// settledGeneration before a thread ended any period, and after a failed transition.
// Publication generations count from 1, so 0 never matches one.
constexpr uint32_t kNotSettled = 0;

bool SecondaryIn(std::span<const CpuInfo> records, unsigned k) {
  if (k >= records.size() || !records[k].isSecondary) return false;
  const int32_t partner = records[k].partnerIndex;
  return partner >= 0 && static_cast<size_t>(partner) < records.size() &&
         !records[static_cast<size_t>(partner)].isSecondary;
}

unsigned PrimaryCount(std::span<const CpuInfo> records) {
  unsigned count = 0;
  for (unsigned k = 0; k < records.size(); ++k) count += SecondaryIn(records, k) ? 0 : 1;
  return count;
}

// Sets `event` when the scope ends, however it ends.
struct SetOnExit {
  ManualResetEvent& event;
  ~SetOnExit() { event.Set(); }
};

}  // namespace

ManagementThreads::ManagementThreads(const ThreadShared& shared)
    : shared_(shared), barrier_(PrimaryCount(shared.records)), counters_(shared.records.size()) {
  const size_t count = std::min<size_t>(shared_.records.size(), kMaxProcessors);
  for (size_t k = 0; k < count; ++k) {
    slots_.push_back(std::make_unique<Slot>());
    slots_.back()->settledGeneration.store(kNotSettled);
  }
  try {
    for (unsigned k = 0; k < count; ++k) threads_.emplace_back([this, k] { Run(k); });
  } catch (...) {
    // The threads already running are released and joined before the members go.
    Stop();
    throw;
  }
}

ManagementThreads::~ManagementThreads() {
  Stop();
}

void ManagementThreads::Resume() {
  running_.Set();
}

void ManagementThreads::Suspend() {
  running_.Reset();
  for (auto& slot : slots_) slot->quiescent.Wait();
}

void ManagementThreads::Wake() {
  for (auto& slot : slots_) slot->wake.Set();
}

bool ManagementThreads::WaitSettled(uint32_t generation, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool all = true;
  for (auto& slot : slots_) {
    for (;;) {
      if (slot->settledGeneration.load() == generation) break;
      // Reset, then look again: a period ending in between sets the event anew.
      slot->settled.Reset();
      if (slot->settledGeneration.load() == generation) break;
      const auto left = deadline - std::chrono::steady_clock::now();
      if (Stopping() || left <= left.zero() || !slot->settled.Wait(left)) {
        all = false;
        break;
      }
    }
  }
  return all;
}

void ManagementThreads::Stop() {
  if (threads_.empty()) return;
  stopping_.store(true);
  shared_.stopSignal.Set();
  // Every wait a thread can be in: suspended, the control period, the barrier, the
  // secondary's first load and the hand-off.
  running_.Set();
  barrier_.Release();
  for (auto& slot : slots_) {
    slot->wake.Set();
    slot->sampled.Set();
    slot->handOff.Set();
  }
  for (auto& thread : threads_) thread.join();
  threads_.clear();
}

bool ManagementThreads::Stopping() const {
  return stopping_.load() || shared_.stopSignal.IsSet();
}

bool ManagementThreads::IsSecondary(unsigned k) const {
  return SecondaryIn(shared_.records, k);
}

int32_t ManagementThreads::SecondaryOf(unsigned k) const {
  const int32_t partner = shared_.records[k].partnerIndex;
  if (partner < 0 || static_cast<size_t>(partner) >= slots_.size()) return -1;
  if (!IsSecondary(static_cast<unsigned>(partner))) return -1;
  return shared_.records[static_cast<size_t>(partner)].partnerIndex == static_cast<int32_t>(k)
             ? partner
             : -1;
}

bool ManagementThreads::PassGate(unsigned k) {
  if (running_.IsSet()) return !Stopping();
  running_.Wait();
  if (Stopping()) return false;
  PinToProcessor(shared_.hardware.processors, k);  // affinity again after a suspension
  return true;
}

bool ManagementThreads::EnterHalfRegion(unsigned k) {
  Slot& me = *slots_[k];
  for (;;) {
    // Leave quiescence before looking at the gate: a Suspend that closed the gate before
    // this look waits for us; one that closes it after finds us parked next time.
    me.quiescent.Reset();
    if (Stopping()) return false;
    if (running_.IsSet()) return true;
    me.quiescent.Set();
    if (!PassGate(k)) return false;
  }
}

bool ManagementThreads::MeetOthers(unsigned k, uint32_t& period) {
  Slot& me = *slots_[k];
  me.sampled.Set();
  if (IsSecondary(k)) {
    me.handOff.Wait();
    if (Stopping()) return false;
    me.handOff.Reset();
    me.sampled.Set();
    return true;
  }
  // A secondary stores its load before its first hand-off and never resets its event,
  // so from then on only the primaries hold each other back.
  for (unsigned j = 0; j < slots_.size(); ++j) {
    if (!IsSecondary(j)) continue;
    slots_[j]->sampled.Wait();
    if (Stopping()) return false;
  }
  barrier_.Arrive(period);
  if (Stopping()) return false;
  me.sampled.Reset();
  return true;
}

void ManagementThreads::ApplyPriority(bool& timeCritical) {
  const bool wanted = shared_.timeCritical.load();
  if (wanted == timeCritical || !shared_.hardware.priorities) return;
  shared_.hardware.priorities->SetThreadPriority(wanted ? platform::ThreadPriority::kTimeCritical
                                                        : platform::ThreadPriority::kNormal);
  timeCritical = wanted;
  std::this_thread::yield();
}

ListPositions ManagementThreads::Decide(unsigned k, const Publication::View& view, int32_t& load) {
  ListPositions positions = view.positions;
  const ProfileHalf& half = *view.half;
  if (IsDynamic(half)) {
    std::array<int32_t, kMaxProcessors> loads{};
    for (unsigned j = 0; j < slots_.size(); ++j) loads[j] = shared_.loads.Load(j);
    load = CombinedLoad(shared_.cpuLoadMethod.load(),
                        std::span<const int32_t>(loads.data(), slots_.size()), k,
                        shared_.records[k].partnerIndex);
    if (const auto ladder = LadderOf(half, view.positions)) {
      const auto target = DecidePosition(half.thresholds, *ladder, load, view.limits,
                                         shared_.transitionsMethod.load(), counters_[k]);
      if (target) {
        const ListPositions decided = ListPositionsOf(half, *target, view.positions);
        // A newer publication replaced the positions meanwhile: its own stand.
        if (shared_.publication.StoreDecision(k, view, decided)) positions = decided;
      }
    }
  }
  return positions;
}

void ManagementThreads::HandOff(unsigned k, const Publication::View& view,
                                ListPositions positions) {
  const int32_t secondary = SecondaryOf(k);
  if (secondary < 0) return;
  // Every period, decided or not: the secondary waits for it before it applies.
  shared_.publication.StoreForSibling(static_cast<unsigned>(secondary), view.generation, positions);
  slots_[static_cast<size_t>(secondary)]->handOff.Set();
}

void ManagementThreads::Run(unsigned k) {
  Slot& me = *slots_[k];
  SetOnExit quiescentAtExit{me.quiescent};
  PinToProcessor(shared_.hardware.processors, k);
  const bool secondary = IsSecondary(k);
  const auto period = std::chrono::milliseconds(std::max(shared_.settings.controlIntervalMs, 1));
  uint32_t barrierPeriod = 0;
  bool timeCritical = false;
  if (!PassGate(k)) return;
  for (;;) {
    me.wake.Wait(period);
    if (Stopping() || !PassGate(k)) return;
    ApplyPriority(timeCritical);
    shared_.loads.Measure(k);
    if (!MeetOthers(k, barrierPeriod) || !EnterHalfRegion(k)) return;

    me.wake.Reset();  // a publication from here on wakes the next period at once
    const Publication::View view = shared_.publication.Read(k);
    PeriodReport report;
    report.generation = view.generation;
    report.positions = view.positions;
    ApplyResult applied;
    if (!secondary) {
      if (view.half) report.positions = Decide(k, view, report.load);
      HandOff(k, view, report.positions);
    }
    if (view.half) {
      const ApplyContext context{shared_.hardware.sensors,
                                 shared_.settings.pstate,
                                 shared_.settings.busClockMhz,
                                 shared_.settings.cyclesPerPass,
                                 shared_.hooks.lastClockMhz ? shared_.hooks.lastClockMhz(k) : 0.0,
                                 !shared_.records.empty() && shared_.records[0].isViaC7};
      applied =
          ApplyPositions(shared_.records[k], *view.half, shared_.table, report.positions, context);
    }
    report.changed = applied.changed;
    me.settledGeneration.store(applied.failed ? kNotSettled : view.generation);
    me.settled.Set();
    me.quiescent.Set();
    if (shared_.hooks.periodEnded) shared_.hooks.periodEnded(k, report);
  }
}

}  // namespace pacetta::management
