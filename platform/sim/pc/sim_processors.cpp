#include "platform/sim/pc/sim_processors.h"

#include <bit>

namespace pacetta::sim {

SimProcessors::SimProcessors(const MachineSpec& machine)
    : count_(static_cast<unsigned>(machine.processors.size())),
      systemMask_(count_ >= 64 ? ~uint64_t{0} : (uint64_t{1} << count_) - 1),
      processMask_(machine.processAffinityMask.value_or(systemMask_) & systemMask_) {}

bool SimProcessors::SetThreadAffinity(uint64_t mask) {
  if ((mask & processMask_) == 0) return false;
  std::lock_guard lock(mutex_);
  threadMasks_[std::this_thread::get_id()] = mask & processMask_;
  return true;
}

uint64_t SimProcessors::ThreadMask() {
  std::lock_guard lock(mutex_);
  auto it = threadMasks_.find(std::this_thread::get_id());
  return it == threadMasks_.end() ? processMask_ : it->second;
}

unsigned SimProcessors::CurrentProcessor() {
  const uint64_t mask = ThreadMask();
  return mask ? static_cast<unsigned>(std::countr_zero(mask)) : 0;
}

}  // namespace pacetta::sim
