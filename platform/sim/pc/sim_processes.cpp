#include "platform/sim/pc/sim_processes.h"

#include <utility>
#include <vector>

namespace pacetta::sim {
namespace {

// A host process whose affinity requests are translated to the host's processors.
class MappedProcess final : public platform::SupervisedProcess {
 public:
  MappedProcess(std::unique_ptr<platform::SupervisedProcess> process, uint64_t realMask)
      : process_(std::move(process)), realMask_(realMask) {}

  int32_t Id() const override { return process_->Id(); }
  bool SetAffinity(uint64_t mask) override {
    const uint64_t real = RealProcessorsFor(mask, realMask_);
    return real != 0 && process_->SetAffinity(real);
  }
  bool IsRunning() override { return process_->IsRunning(); }
  std::optional<platform::ProcessTimes> Times() override { return process_->Times(); }
  void SignalStop() override { process_->SignalStop(); }
  bool WaitForExit(std::chrono::milliseconds timeout) override {
    return process_->WaitForExit(timeout);
  }
  void Kill() override { process_->Kill(); }

 private:
  std::unique_ptr<platform::SupervisedProcess> process_;
  uint64_t realMask_;
};

}  // namespace

uint64_t RealProcessorsFor(uint64_t simulatedMask, uint64_t realMask) {
  std::vector<unsigned> real;
  for (unsigned bit = 0; bit < 64; ++bit) {
    if (realMask & (uint64_t{1} << bit)) real.push_back(bit);
  }
  if (real.empty()) return 0;
  uint64_t mapped = 0;
  for (unsigned k = 0; k < 64; ++k) {
    if (simulatedMask & (uint64_t{1} << k)) mapped |= uint64_t{1} << real[k % real.size()];
  }
  return mapped;
}

SimProcesses::SimProcesses(platform::Processes& host, uint64_t realMask)
    : host_(host), realMask_(realMask) {}

std::unique_ptr<platform::SupervisedProcess> SimProcesses::StartSupervised(
    const platform::ProcessLaunch& launch) {
  auto process = host_.StartSupervised(launch);
  if (!process) return nullptr;
  return std::make_unique<MappedProcess>(std::move(process), realMask_);
}

}  // namespace pacetta::sim
