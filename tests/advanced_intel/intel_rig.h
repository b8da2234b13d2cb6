#pragma once
// A simulated Intel or VIA machine from the catalogue with its register trace, the driver
// open, every processor identified as start-up does, and the running program's Intel
// settings made by its factory.
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/advanced/intel_advanced.h"
#include "tests/test_support/advanced_rig.h"

namespace pacetta::testing {

class IntelRig : public AdvancedRig {
 public:
  explicit IntelRig(const std::string& machine)
      : AdvancedRig(machine), intel_(MadeAs<IntelAdvanced>("Intel settings")) {}

  IntelAdvanced& Intel() { return intel_; }
  AdvancedSettings& Advanced() { return intel_; }

  // Processor k's register as the simulated part answers it; none when it faults.
  std::optional<uint64_t> Msr(unsigned k, uint32_t index) {
    PinToProcessor(Processors(), k);
    MsrRequest request;
    const bool read = Driver().ReadMsrValue(request, index) && !request.IsAllOnes();
    UnpinThread(Processors());
    if (!read) return std::nullopt;
    return uint64_t{request.high} << 32 | request.low;
  }
  // Writes processor k's register; false when the part refuses the write.
  bool WriteMsr(unsigned k, uint32_t index, uint64_t value) {
    PinToProcessor(Processors(), k);
    MsrRequest request;
    const bool written = Driver().WriteMsrValue(request, index, static_cast<uint32_t>(value),
                                                static_cast<uint32_t>(value >> 32));
    UnpinThread(Processors());
    return written;
  }

  // The traced writes of register `index` (its value and result) so far.
  struct TracedWrite {
    unsigned cpu = 0;
    uint64_t value = 0;
    bool ok = false;
  };
  std::vector<TracedWrite> TracedWrites(uint32_t index) const {
    char name[16];
    std::snprintf(name, sizeof name, "0x%08X", index);
    std::vector<TracedWrite> writes;
    for (const auto& fields : TraceRows()) {
      if (fields.size() != 8 || fields[2] != "msr-write" || fields[3] != name) continue;
      writes.push_back({static_cast<unsigned>(std::stoul(fields[1])),
                        std::stoull(fields[5], nullptr, 16), fields[6] == "ok"});
    }
    return writes;
  }

 private:
  IntelAdvanced& intel_;
};

}  // namespace pacetta::testing
