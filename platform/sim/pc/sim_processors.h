#pragma once
#include <map>
#include <mutex>
#include <thread>

#include "platform/processors.h"
#include "platform/sim/machine.h"

namespace pacetta::sim {

// The simulated processor set. A thread "runs" on the lowest processor of its affinity
// mask; threads that never set one run within the process mask.
class SimProcessors final : public platform::Processors {
 public:
  explicit SimProcessors(const MachineSpec& machine);

  unsigned SystemCount() override { return count_; }
  uint64_t SystemAffinityMask() override { return systemMask_; }
  uint64_t ProcessAffinityMask() override { return processMask_; }
  // Fails, as the system does, for a mask with no processor of the process.
  bool SetThreadAffinity(uint64_t mask) override;
  void YieldThread() override {}
  unsigned CurrentProcessor() override;

  // The mask of the calling thread, for tests and the workload model.
  uint64_t ThreadMask();

 private:
  unsigned count_;
  uint64_t systemMask_;
  uint64_t processMask_;
  std::mutex mutex_;
  std::map<std::thread::id, uint64_t> threadMasks_;
};

}  // namespace pacetta::sim
