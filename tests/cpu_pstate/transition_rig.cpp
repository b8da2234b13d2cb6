#include "tests/cpu_pstate/transition_rig.h"

#include "hw/driver_protocol.h"

namespace pacetta::testing {

namespace {

void AddControl(std::vector<std::string>& trace, uint32_t low, uint32_t high) {
  if (low & 0x10000) {
    trace.push_back(Write(low & 0x3F, (low >> 8) & 0x3F, high));
  } else {
    trace.push_back(Control(low, high));
  }
}

}  // namespace

std::vector<std::string> Trace(const std::vector<SentRequest>& requests) {
  std::vector<std::string> trace;
  for (const SentRequest& request : requests) {
    const auto& w = request.words;
    if (request.code == driver::kWriteMsr && w[0] == 0xC0010041) AddControl(trace, w[2], w[1]);
    if (request.code != driver::kRunKernelRoutine) continue;
    if (w[6] == static_cast<uint32_t>(driver::KernelRoutine::kK7Transition)) {
      AddControl(trace, w[0], w[3]);
    } else if (w[6] == static_cast<uint32_t>(driver::KernelRoutine::kBusyDelay)) {
      trace.push_back(Delay(w[3]));
    }
  }
  return trace;
}

TransitionRig::TransitionRig(uint32_t fid, uint32_t vid, bool system64,
                             std::map<uint32_t, uint64_t> registers, sim::SimFaults faults)
    : rig(
          [&] {
            registers.emplace(0xC0010041, 0);
            registers.emplace(0xC0010042, Halves(vid, fid));
            return Machine(registers, 0, 1, system64);
          }(),
          std::move(faults)) {
  rig.Bank(0).AddHandler(processor);
}

}  // namespace pacetta::testing
