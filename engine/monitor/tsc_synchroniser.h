#pragma once
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

#include "cpu/cpu_info.h"
#include "cpu/sensors/sensor_hardware.h"

namespace pacetta {

// How the synchroniser runs from one start of the monitoring threads to the next.
struct TscSyncConfig {
  bool enabled = false;
  uint32_t sourceCore = 0;    // the core number whose counter its partner takes
  uint32_t periodPasses = 1;  // a synchronising pass every this many, from the first on
  // How long the receiving core waits for the source core in a synchronising pass.
  std::chrono::milliseconds waitBound{50};
};

// Monitoring passes between two synchronisations: the interval in refreshes, rounded,
// and never below 1 (a period of 0 would synchronise once and never again).
uint32_t TscSyncPeriod(int32_t intervalMs, int32_t refreshMs);
// The receiving core's wait when none is given: a tenth of a refresh interval, at most
// 50 ms. Both workers are woken by the same refresh, so a source core later than that is
// held up, and the refresh must not wait for it.
std::chrono::milliseconds TscSyncWaitBound(int32_t refreshMs);
// The core number of a multi-core processor within its package: its initial APIC id's
// core bits.
uint32_t CoreNumberOf(const CpuInfo& cpu);

// What one pass of processor k's worker did.
enum class TscSyncStep {
  kNone,       // not a synchronising pass, or the processor takes no part
  kSent,       // the source core handed its counter to its partner
  kWritten,    // the receiving core wrote the source's counter into its own
  kTimedOut,   // the source core did not answer within the bound: nothing written
  kAbandoned,  // the threads are stopping: nothing written
  kFailed,     // the driver refused the write
};

// The dual-core time-stamp-counter synchroniser. It runs at the end of every monitoring
// pass on the pass's own thread, pinned to its processor: every period, the source core
// of each pair hands its time-stamp counter to the other core, which writes it into its
// own. Each exchange is tagged with the round it belongs to, so a source that answers too
// late for one round is never taken for the next one.
class TscSynchroniser {
 public:
  TscSynchroniser(std::span<const CpuInfo> processors, SensorHardware& hardware);
  TscSynchroniser(const TscSynchroniser&) = delete;
  TscSynchroniser& operator=(const TscSynchroniser&) = delete;

  // While no monitoring thread runs: takes `config` and forgets every earlier exchange,
  // so the first pass after it synchronises.
  void Restart(const TscSyncConfig& config);

  // On processor k's monitoring thread, pinned to k, last in every pass. `stopping` is
  // asked while the receiving core waits: true ends the wait at once.
  TscSyncStep Pass(uint32_t k, const std::function<bool()>& stopping);

 private:
  // Written by the source core, read and cleared by the receiving one.
  struct Exchange {
    std::atomic<uint64_t> counter{0};
    std::atomic<uint64_t> readyRound{0};  // the round `counter` belongs to; 0: none
  };
  // Each touched by its own processor's thread only.
  struct Worker {
    uint32_t passes = 0;  // passes since the last synchronising one
    uint64_t round = 0;   // synchronising passes so far
  };
  enum class Role { kNone, kSource, kReceiver };

  Role RoleOf(uint32_t k) const;
  TscSyncStep Receive(uint32_t k, uint64_t round, const std::function<bool()>& stopping);

  std::span<const CpuInfo> processors_;
  SensorHardware& hardware_;
  TscSyncConfig config_;
  std::array<Exchange, kMaxProcessors> exchanges_;
  std::array<Worker, kMaxProcessors> workers_;
};

}  // namespace pacetta
