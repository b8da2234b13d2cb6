#include "engine/idle/idle_helpers.h"

#include <algorithm>
#include <utility>

namespace pacetta {

std::string IdleHelperPath(const std::string& programFolder) {
  return programFolder + "/" + kIdleHelperProgram;
}

IdleHelpers::IdleHelpers(platform::Processes& processes, std::string helperPath,
                         unsigned processorCount)
    : processes_(processes),
      helperPath_(std::move(helperPath)),
      count_(std::min(processorCount, kMaxProcessors)) {
  for (auto& slot : slots_) slot.store(std::make_shared<const Slot>());
}

IdleHelpers::~IdleHelpers() {
  // Each process object ends and collects its helper when the last reference goes.
  for (auto& slot : slots_) slot.store(std::make_shared<const Slot>());
}

int64_t IdleHelpers::TimeOf(platform::SupervisedProcess& process) {
  const auto times = process.Times();
  return times ? times->kernel + times->user : 0;
}

void IdleHelpers::StartHelper(unsigned processor, int64_t carried) {
  platform::ProcessLaunch launch;
  launch.path = helperPath_;
  launch.idlePriority = true;
  std::shared_ptr<platform::SupervisedProcess> process = processes_.StartSupervised(launch);
  // A helper that may run anywhere would count another processor's time as idle here;
  // if the pin is refused it still runs, as the system would leave it.
  if (process) process->SetAffinity(uint64_t{1} << processor);
  slots_[processor].store(std::make_shared<const Slot>(Slot{std::move(process), carried}));
}

void IdleHelpers::StartAll() {
  stopped_ = false;
  for (unsigned i = 0; i < count_; ++i) StartHelper(i, slots_[i].load()->carried);
}

std::vector<unsigned> IdleHelpers::Supervise() {
  std::vector<unsigned> restarted;
  if (stopped_) return restarted;
  for (unsigned i = 0; i < count_; ++i) {
    const auto slot = slots_[i].load();
    if (slot->process && slot->process->IsRunning()) continue;
    // The ended helper's final time stays in the account.
    const int64_t carried = slot->carried + (slot->process ? TimeOf(*slot->process) : 0);
    StartHelper(i, carried);
    restarted.push_back(i);
  }
  return restarted;
}

IdleHelpersStopped IdleHelpers::Stop(std::chrono::milliseconds bound) {
  IdleHelpersStopped result;
  stopped_ = true;
  std::vector<std::shared_ptr<platform::SupervisedProcess>> running;
  for (unsigned i = 0; i < count_; ++i) {
    const auto slot = slots_[i].load();
    if (!slot->process) continue;
    slot->process->SignalStop();
    running.push_back(slot->process);
  }
  const auto deadline = std::chrono::steady_clock::now() + bound;
  for (auto& process : running) {
    const auto left = std::max(std::chrono::milliseconds(0),
                               std::chrono::duration_cast<std::chrono::milliseconds>(
                                   deadline - std::chrono::steady_clock::now()));
    if (process->WaitForExit(left)) {
      ++result.ended;
      continue;
    }
    process->Kill();
    // A killed process ends at once; the bound only guards against a stuck kernel.
    process->WaitForExit(kIdleHelperStopBound);
    ++result.killed;
  }
  // Ended helpers keep their time in the account until the supervisor goes.
  for (unsigned i = 0; i < count_; ++i) {
    const auto slot = slots_[i].load();
    if (!slot->process) continue;
    slots_[i].store(
        std::make_shared<const Slot>(Slot{nullptr, slot->carried + TimeOf(*slot->process)}));
  }
  return result;
}

std::optional<int64_t> IdleHelpers::ConsumedTime(uint32_t processor) {
  if (processor >= count_) return std::nullopt;
  const auto slot = slots_[processor].load();
  if (!slot->process && slot->carried == 0) return std::nullopt;
  return slot->carried + (slot->process ? TimeOf(*slot->process) : 0);
}

bool IdleHelpers::IsRunning(unsigned processor) const {
  if (processor >= count_) return false;
  const auto slot = slots_[processor].load();
  return slot->process && slot->process->IsRunning();
}

}  // namespace pacetta
