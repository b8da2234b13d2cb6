#include "engine/monitor/tsc_synchroniser.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <thread>

#include "hw/msr_request.h"

namespace pacetta {
namespace {

constexpr uint32_t kTimeStampCounterMsr = 0x10;
constexpr std::chrono::milliseconds kLongestWait{50};
// Checking for the stop asks the stop signal; the flag is read far more often.
constexpr unsigned kSpinsPerStopCheck = 64;

}  // namespace

uint32_t TscSyncPeriod(int32_t intervalMs, int32_t refreshMs) {
  if (refreshMs <= 0 || intervalMs <= 0) return 1;
  const double passes = std::round(static_cast<double>(intervalMs) / refreshMs);
  return static_cast<uint32_t>(std::clamp(passes, 1.0, 1e9));
}

std::chrono::milliseconds TscSyncWaitBound(int32_t refreshMs) {
  return std::clamp(std::chrono::milliseconds(refreshMs / 10), std::chrono::milliseconds(1),
                    kLongestWait);
}

uint32_t CoreNumberOf(const CpuInfo& cpu) {
  const uint32_t apicId = cpu.standardLeaves[1].ebx >> 24;
  const platform::CpuidResult& sizes = cpu.extendedLeaves[8];  // leaf 80000008h
  const uint32_t cores = (sizes.ecx & 0xFF) + 1;
  if (cpu.extendedLeaves[0].eax < 0x80000008u || cores <= 1) return 0;
  // ApicIdCoreIdSize where the part gives it, else as many bits as the cores need.
  uint32_t bits = (sizes.ecx >> 12) & 0xF;
  if (bits == 0) bits = static_cast<uint32_t>(std::bit_width(cores - 1));
  return apicId & ((1u << bits) - 1);
}

TscSynchroniser::TscSynchroniser(std::span<const CpuInfo> processors, SensorHardware& hardware)
    : processors_(processors.first(std::min<size_t>(processors.size(), kMaxProcessors))),
      hardware_(hardware) {}

void TscSynchroniser::Restart(const TscSyncConfig& config) {
  config_ = config;
  config_.periodPasses = std::max<uint32_t>(config.periodPasses, 1);
  for (Exchange& exchange : exchanges_) {
    exchange.counter = 0;
    exchange.readyRound = 0;
  }
  workers_.fill({});
}

TscSynchroniser::Role TscSynchroniser::RoleOf(uint32_t k) const {
  const int32_t partner = processors_[k].partnerIndex;
  if (partner < 0 || static_cast<size_t>(partner) >= processors_.size()) return Role::kNone;
  const bool source = CoreNumberOf(processors_[k]) == config_.sourceCore;
  const bool partnerSource = CoreNumberOf(processors_[partner]) == config_.sourceCore;
  // Two cores of the same number would both send, or both wait: neither takes part.
  if (source == partnerSource) return Role::kNone;
  return source ? Role::kSource : Role::kReceiver;
}

TscSyncStep TscSynchroniser::Pass(uint32_t k, const std::function<bool()>& stopping) {
  if (!config_.enabled || k >= processors_.size()) return TscSyncStep::kNone;
  Worker& worker = workers_[k];
  const bool due = worker.passes == 0;
  if (++worker.passes >= config_.periodPasses) worker.passes = 0;
  if (!due) return TscSyncStep::kNone;
  const uint64_t round = ++worker.round;

  switch (RoleOf(k)) {
    case Role::kSource: {
      Exchange& exchange = exchanges_[static_cast<uint32_t>(processors_[k].partnerIndex)];
      exchange.counter.store(hardware_.cpu.ReadTimeStampCounter(), std::memory_order_relaxed);
      exchange.readyRound.exchange(round, std::memory_order_release);
      return TscSyncStep::kSent;
    }
    case Role::kReceiver:
      return Receive(k, round, stopping);
    case Role::kNone:
      break;
  }
  return TscSyncStep::kNone;
}

TscSyncStep TscSynchroniser::Receive(uint32_t k, uint64_t round,
                                     const std::function<bool()>& stopping) {
  Exchange& exchange = exchanges_[k];
  const auto deadline = std::chrono::steady_clock::now() + config_.waitBound;
  for (unsigned spins = 0;; ++spins) {
    // Only this round's counter is taken: one that came too late for an earlier round
    // has aged by a whole period.
    uint64_t ready = exchange.readyRound.load(std::memory_order_acquire);
    if (ready == round &&
        exchange.readyRound.compare_exchange_strong(ready, 0, std::memory_order_acquire)) {
      break;
    }
    if (spins % kSpinsPerStopCheck == 0 && stopping && stopping()) return TscSyncStep::kAbandoned;
    if (std::chrono::steady_clock::now() >= deadline) return TscSyncStep::kTimedOut;
    std::this_thread::yield();
  }
  const uint64_t counter = exchange.counter.load(std::memory_order_relaxed);
  MsrRequest request;
  const bool written =
      hardware_.driver.WriteMsrValue(request, kTimeStampCounterMsr, static_cast<uint32_t>(counter),
                                     static_cast<uint32_t>(counter >> 32));
  return written ? TscSyncStep::kWritten : TscSyncStep::kFailed;
}

}  // namespace pacetta
