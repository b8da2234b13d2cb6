#pragma once
#include <cstdint>
#include <memory>

#include "platform/processes.h"

namespace pacetta::sim {

// The real processors that stand for simulated processor set `simulatedMask`: simulated
// processor k runs on the (k mod n)-th of the n processors in `realMask`. Zero when
// `realMask` is empty.
uint64_t RealProcessorsFor(uint64_t simulatedMask, uint64_t realMask);

// The host's processes, started for real (the idle helpers run and are timed), with
// affinity masks that name simulated processors. A helper pinned to one simulated processor
// stays pinned to one real processor, as it would be on the machine simulated, even when the
// simulated machine has more processors than the host.
class SimProcesses final : public platform::Processes {
 public:
  // `host` starts the processes; `realMask` is the processors this process may use.
  SimProcesses(platform::Processes& host, uint64_t realMask);
  std::unique_ptr<platform::SupervisedProcess> StartSupervised(
      const platform::ProcessLaunch& launch) override;

 private:
  platform::Processes& host_;
  uint64_t realMask_;
};

}  // namespace pacetta::sim
