#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/management/load_source.h"
#include "engine/management/management_types.h"
#include "engine/management/period_barrier.h"
#include "engine/management/publication.h"
#include "engine/profiles/pstate_table.h"
#include "engine/sync/manual_reset_event.h"
#include "platform/instance.h"

namespace pacetta::management {

// What the management threads share with the main thread's operations.
struct ThreadShared {
  std::span<CpuInfo> records;
  const PStateTable& table;
  Publication& publication;
  LoadSource& loads;
  ManagementHardware& hardware;
  const ManagementSettings& settings;
  const ManagementHooks& hooks;
  // The single-instance event: set only at shutdown.
  platform::NamedEvent& stopSignal;
  const std::atomic<int32_t>& transitionsMethod;
  const std::atomic<int32_t>& cpuLoadMethod;
  // Whether the threads should run at time-critical priority.
  const std::atomic<bool>& timeCritical;
};

// One management thread per processor, each bound to its processor. Every period a
// thread measures its load, meets the other deciding threads, decides (a primary, also
// for its secondary sibling) and applies. Created suspended.
class ManagementThreads {
 public:
  explicit ManagementThreads(const ThreadShared& shared);
  ManagementThreads(const ManagementThreads&) = delete;
  ManagementThreads& operator=(const ManagementThreads&) = delete;
  ~ManagementThreads();

  void Resume();
  // Returns once no thread holds the published half any more: each is parked, or
  // blocked where it has not read it yet. Threads park at their next check.
  void Suspend();
  bool Suspended() const { return !running_.IsSet(); }
  // Ends the control-period waits, so a new publication takes effect at once.
  void Wake();
  // Waits until every processor has ended a period on publication `generation` with its
  // target applied; processors that do not within `timeout` are not waited for.
  // False when some did not.
  bool WaitSettled(uint32_t generation, std::chrono::milliseconds timeout);
  // Sets the stop signal, releases every wait (suspended threads too) and joins every
  // thread. Idempotent.
  void Stop();

 private:
  struct Slot {
    ManualResetEvent sampled;          // the period's load is stored
    ManualResetEvent handOff;          // the primary has decided for this secondary
    ManualResetEvent settled;          // a period ended (see settledGeneration)
    ManualResetEvent wake;             // ends the control-period wait early
    ManualResetEvent quiescent{true};  // holds no published half now
    std::atomic<uint32_t> settledGeneration;
  };

  void Run(unsigned k);
  bool Stopping() const;
  bool IsSecondary(unsigned k) const;
  int32_t SecondaryOf(unsigned k) const;
  // Waits while suspended; false on stop.
  bool PassGate(unsigned k);
  // Marks the thread as holding the half, parking first while suspended; false on stop.
  bool EnterHalfRegion(unsigned k);
  bool MeetOthers(unsigned k, uint32_t& period);
  void ApplyPriority(bool& timeCritical);
  // A primary's decision; returns the positions to apply.
  ListPositions Decide(unsigned k, const Publication::View& view, int32_t& load);
  // Gives the primary's positions to its secondary sibling and lets it apply them.
  void HandOff(unsigned k, const Publication::View& view, ListPositions positions);

  ThreadShared shared_;
  std::atomic<bool> stopping_{false};
  ManualResetEvent running_;
  PeriodBarrier barrier_;
  std::vector<std::unique_ptr<Slot>> slots_;
  std::vector<DecisionCounters> counters_;  // each written by its own thread only
  std::vector<std::thread> threads_;        // last: joined before the events go
};

}  // namespace pacetta::management
