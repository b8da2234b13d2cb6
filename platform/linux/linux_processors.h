#pragma once
#include "platform/processors.h"

namespace pacetta::linux_os {

// Processor set and affinity of the running Linux system (at most 64 processors are
// addressable through the masks; the program uses 32).
class LinuxProcessors final : public platform::Processors {
 public:
  unsigned SystemCount() override;
  uint64_t SystemAffinityMask() override;
  uint64_t ProcessAffinityMask() override;
  bool SetThreadAffinity(uint64_t mask) override;
  void YieldThread() override;
  unsigned CurrentProcessor() override;
};

}  // namespace pacetta::linux_os
