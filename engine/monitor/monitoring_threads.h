#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/sync/manual_reset_event.h"
#include "platform/instance.h"
#include "platform/processors.h"

namespace pacetta {

// One monitoring thread per processor, bound to it, that takes one sample each time the
// main thread asks. Per processor two manual-reset events: sample-requested (main thread
// to worker) and sample-done (worker to main thread).
class MonitoringThreads {
 public:
  // Runs on processor k's thread, pinned to k.
  using SampleFunction = std::function<void(uint32_t processor)>;
  // Creates a thread running `body`; throws std::system_error when the system refuses.
  using ThreadStarter = std::function<std::thread(std::function<void()> body)>;

  // `stopSignal` is the program's stop signal: once it is set, every thread ends at its
  // next request.
  MonitoringThreads(platform::Processors& processors, platform::NamedEvent& stopSignal,
                    ThreadStarter starter = StartThread);
  MonitoringThreads(const MonitoringThreads&) = delete;
  MonitoringThreads& operator=(const MonitoringThreads&) = delete;
  ~MonitoringThreads();

  // Starts `count` threads (at most kMaxProcessors). Each first binds itself to its
  // processor, then waits for the first request. False when a thread could not be
  // created: the ones already started are stopped again and none runs.
  bool Start(uint32_t count, SampleFunction sample);
  bool Running() const { return !threads_.empty(); }

  // Asks every thread for one sample and waits without limit until all are done. False
  // when not every thread sampled: none runs, or the stop signal ended them.
  bool SampleAll();

  // Ends and joins every thread (idempotent). Also ends threads whose stop signal was
  // never set, so a failed start or an early exit cannot leave one waiting.
  void Stop();
  // True once Stop was called or the stop signal set: a thread's sample ends its waits.
  bool StopRequested() { return ShouldEnd(); }

  static std::thread StartThread(std::function<void()> body) {
    return std::thread(std::move(body));
  }

 private:
  struct Channel {
    ManualResetEvent requested;
    ManualResetEvent done;
  };
  void Loop(uint32_t processor);
  bool ShouldEnd() { return stopping_.load() || stopSignal_.IsSet(); }

  platform::Processors& processors_;
  platform::NamedEvent& stopSignal_;
  ThreadStarter starter_;
  SampleFunction sample_;
  std::atomic<bool> stopping_{false};
  std::atomic<uint32_t> ended_{0};
  // The events outlive the threads: the threads are joined before channels_ goes.
  std::array<Channel, kMaxProcessors> channels_;
  std::vector<std::thread> threads_;
};

}  // namespace pacetta
