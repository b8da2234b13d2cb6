#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel_cpu.h"

namespace pacetta {

// Why the governors could not be taken over: the first policy that stood in the way.
struct GovernorRefusal {
  uint32_t policy = 0;
  std::string driver;
  std::string governor;
  bool noUserspace = false;  // else: the switch itself was refused (helper missing or old)
};

// The kernel's frequency policies covering processors that this program steers by their
// registers. Their governors (ondemand, schedutil, ...) would move the performance state
// behind the program's back, so while it manages them they run `userspace`, which leaves
// the clock where the program puts it; every policy gets its own governor back at the end.
// The governors taken are recorded outside the program before the switch, so that a run
// ended without running any code (SIGKILL) is undone at the next start.
class GovernorTakeover {
 public:
  static constexpr const char* kUserspace = "userspace";

  explicit GovernorTakeover(platform::KernelCpu& kernel) : kernel_(kernel) {}
  // Whatever is still switched goes back.
  ~GovernorTakeover() { Restore(); }
  GovernorTakeover(const GovernorTakeover&) = delete;
  GovernorTakeover& operator=(const GovernorTakeover&) = delete;

  // Puts back what an earlier run left recorded, where the policy still runs `userspace`
  // (a governor chosen since, by the user or at boot, stays), and removes the record.
  void RestoreLeftover();
  // Switches every policy that covers one of `cpus` to `userspace`. Nothing is switched
  // unless every such policy offers it; a switch that is refused puts back those already
  // made. Nothing to do (and no refusal) where no policy covers them.
  std::optional<GovernorRefusal> TakeOver(const std::vector<uint32_t>& cpus);
  // Puts every switched policy back; a policy that cannot be put back stays recorded for
  // the next start. Does nothing the second time.
  void Restore();

  const std::vector<platform::TakenGovernor>& Taken() const { return taken_; }

 private:
  // Sets each entry's governor; returns the entries that failed.
  std::vector<platform::TakenGovernor> PutBack(const std::vector<platform::TakenGovernor>& entries);

  platform::KernelCpu& kernel_;
  std::vector<platform::TakenGovernor> taken_;
};

}  // namespace pacetta
