#pragma once
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/monitor/os_load.h"
#include "platform/processes.h"

namespace pacetta {

// The idle helper program, started from the program's folder.
inline constexpr const char* kIdleHelperProgram = "PacettaHLT";
std::string IdleHelperPath(const std::string& programFolder);

// How the helpers ended at exit.
struct IdleHelpersStopped {
  unsigned ended = 0;   // ended on the stop signal
  unsigned killed = 0;  // ignored it past the bound and were ended by force
};

// How long exit waits for the helpers before it ends the rest by force.
inline constexpr std::chrono::milliseconds kIdleHelperStopBound{5000};

// Keeps one idle helper bound to each processor. The main thread starts, supervises and
// stops the helpers; the monitoring threads read each processor's helper time.
class IdleHelpers final : public IdleHelperTimes {
 public:
  static constexpr unsigned kMaxProcessors = 32;

  IdleHelpers(platform::Processes& processes, std::string helperPath, unsigned processorCount);
  // Ends any helper that still runs.
  ~IdleHelpers() override;
  IdleHelpers(const IdleHelpers&) = delete;
  IdleHelpers& operator=(const IdleHelpers&) = delete;

  // Starts helpers 0 to count - 1, in order.
  void StartAll();
  // Restarts every helper that has ended (or never started); returns their processors,
  // in index order, for the restart notice. Does nothing after Stop.
  std::vector<unsigned> Supervise();
  // Closes every helper's stop channel, waits up to `bound` in all, then ends by force
  // those that still run, so that a helper that ignores the signal cannot hold up exit.
  IdleHelpersStopped Stop(std::chrono::milliseconds bound);

  // Kernel plus user time, in 100-ns units, of every helper that has run on processor i,
  // ended ones included, so that a restart never makes the idle time run backwards;
  // nullopt while no helper has run there. Safe from any thread.
  std::optional<int64_t> ConsumedTime(uint32_t processor) override;
  bool IsRunning(unsigned processor) const;

 private:
  // One processor's helper and the time of the helpers before it, swapped as a whole so
  // that a reader always sees a matching pair.
  struct Slot {
    std::shared_ptr<platform::SupervisedProcess> process;
    int64_t carried = 0;
  };

  void StartHelper(unsigned processor, int64_t carried);
  static int64_t TimeOf(platform::SupervisedProcess& process);

  platform::Processes& processes_;
  const std::string helperPath_;
  const unsigned count_;
  bool stopped_ = false;
  std::array<std::atomic<std::shared_ptr<const Slot>>, kMaxProcessors> slots_;
};

}  // namespace pacetta
