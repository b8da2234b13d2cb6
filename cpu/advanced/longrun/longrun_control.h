#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "cpu/cpu_info.h"
#include "hw/portex_driver.h"
#include "platform/processors.h"

namespace pacetta::longrun {

// LongRun's control registers: the bounds (low = lower, high = upper, percent of the
// performance range) and the mode (low bit 0: performance, else economy).
inline constexpr uint32_t kBoundsMsr = 0x80868010;
inline constexpr uint32_t kModeMsr = 0x80868011;
inline constexpr uint32_t kPercentMax = 100;

struct Control {
  uint32_t lowerPercent = 0;
  uint32_t upperPercent = kPercentMax;
  bool performance = true;

  bool operator==(const Control&) const = default;
};

// The control with both bounds within 0..100 and a lower bound above the upper lowered
// to it: the part refuses anything else.
Control Sanitised(Control control);

// Processor `processor`'s control, read pinned to it; none when a register cannot be
// read. The thread is unpinned afterwards.
std::optional<Control> ReadControl(CPortexDriver& driver, platform::Processors& processors,
                                   uint32_t processor);
// Writes the sanitised `control` to every processor of `cpus`, each pinned to its
// processor; the mode is written with a zero high half. The thread ends unpinned. The
// number of processors whose two writes both went through.
size_t WriteControl(CPortexDriver& driver, platform::Processors& processors,
                    std::span<const CpuInfo> cpus, const Control& control);

}  // namespace pacetta::longrun
