#pragma once
#include "platform/instance.h"

namespace pacetta::linux_os {

// Named events whose ownership is an advisory lock on a file in the machine-wide
// runtime folder: the lock dies with its process, so a crashed instance never blocks
// the next start. The set state is shared by the holders within this process.
class LockFileEvents final : public platform::NamedEvents {
 public:
  std::unique_ptr<platform::NamedEvent> Create(const std::string& name,
                                               bool& alreadyExisted) override;
};

}  // namespace pacetta::linux_os
