#pragma once
// A simulated Transmeta machine with its register trace, the driver open, every
// processor identified as start-up does, and the running program's LongRun settings made
// by its factory.
#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/advanced/transmeta_advanced.h"
#include "tests/test_support/advanced_rig.h"

namespace pacetta::testing {

// One traced register access: "msr-read"/"msr-write"/"pci-read"/"pci-write", the
// register ("0x80868010", "00:00.0+0xA8") and the value.
struct TracedAccess {
  std::string kind;
  std::string reg;
  uint64_t value = 0;
};

class TransmetaRig : public AdvancedRig {
 public:
  // `machine`: a catalogue name or a machine file; `load`: the `--sim-load` form.
  explicit TransmetaRig(const std::string& machine = "transmeta", const std::string& load = "")
      : AdvancedRig(machine, load), transmeta_(dynamic_cast<TransmetaAdvanced*>(Made())) {}

  // Null on a machine without LongRun.
  TransmetaAdvanced* Transmeta() { return transmeta_; }

  // Leaf `leaf` as processor 0 answers it.
  platform::CpuidResult Cpuid(uint32_t leaf) {
    PinToProcessor(Processors(), 0);
    const auto result = Pc().View().cpu.Cpuid(leaf, 0);
    UnpinThread(Processors());
    return result;
  }

  // The traced accesses of `kind` to `reg`, in order.
  std::vector<TracedAccess> Traced(const std::string& kind, const std::string& reg) const {
    std::vector<TracedAccess> accesses;
    for (const auto& fields : TraceRows()) {
      if (fields.size() < 6 || fields[2] != kind || fields[3] != reg || fields[5] == "-") continue;
      accesses.push_back({fields[2], fields[3], std::stoull(fields[5], nullptr, 16)});
    }
    return accesses;
  }

 private:
  TransmetaAdvanced* transmeta_ = nullptr;
};

}  // namespace pacetta::testing
