#include "cpu/advanced/longrun/longrun_control.h"

#include <algorithm>

#include "hw/pinning.h"

namespace pacetta::longrun {

Control Sanitised(Control control) {
  control.upperPercent = std::min(control.upperPercent, kPercentMax);
  control.lowerPercent = std::min(control.lowerPercent, control.upperPercent);
  return control;
}

std::optional<Control> ReadControl(CPortexDriver& driver, platform::Processors& processors,
                                   uint32_t processor) {
  PinToProcessor(processors, processor);
  MsrRequest bounds, mode;
  const bool read = driver.ReadMsrValue(bounds, kBoundsMsr) && !bounds.IsAllOnes() &&
                    driver.ReadMsrValue(mode, kModeMsr) && !mode.IsAllOnes();
  UnpinThread(processors);
  if (!read) return std::nullopt;
  return Control{bounds.low, bounds.high, (mode.low & 1u) != 0};
}

size_t WriteControl(CPortexDriver& driver, platform::Processors& processors,
                    std::span<const CpuInfo> cpus, const Control& control) {
  const Control safe = Sanitised(control);
  size_t written = 0;
  for (const CpuInfo& cpu : cpus) {
    PinToProcessor(processors, cpu.index);
    MsrRequest bounds, mode;
    const bool boundsWritten =
        driver.WriteMsrValue(bounds, kBoundsMsr, safe.lowerPercent, safe.upperPercent);
    const bool modeWritten = driver.WriteMsrValue(mode, kModeMsr, safe.performance ? 1u : 0u, 0);
    if (boundsWritten && modeWritten) ++written;
  }
  UnpinThread(processors);
  return written;
}

}  // namespace pacetta::longrun
