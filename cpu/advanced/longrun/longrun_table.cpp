#include "cpu/advanced/longrun/longrun_table.h"

#include "hw/pinning.h"

namespace pacetta::longrun {
namespace {

bool Read(CPortexDriver& driver, uint32_t index, MsrRequest& request) {
  return driver.ReadMsrValue(request, index) && !request.IsAllOnes();
}

}  // namespace

std::optional<uint32_t> ReadHighestLevel(CPortexDriver& driver) {
  MsrRequest select;
  if (!Read(driver, kLevelSelectMsr, select) || select.high >= kLevelLimit) return std::nullopt;
  return select.high;
}

std::optional<Level> ReadLevel(CPortexDriver& driver, uint32_t n) {
  MsrRequest select;
  if (!driver.WriteMsrValue(select, kLevelSelectMsr, n, 0)) return std::nullopt;
  MsrRequest index, clock, memory, pci, gate;
  if (!Read(driver, kPerformanceIndexMsr, index) || !Read(driver, kClockMsr, clock) ||
      !Read(driver, kMemoryDivisorsMsr, memory) || !Read(driver, kPciDivisorMsr, pci) ||
      !Read(driver, kGateDelayMsr, gate)) {
    return std::nullopt;
  }
  return Level{n, index.low, clock.low, clock.high, memory.low, memory.high, pci.low, gate.low};
}

std::vector<Level> ReadTable(CPortexDriver& driver, platform::Processors& processors,
                             uint32_t processor) {
  PinToProcessor(processors, processor);
  std::vector<Level> levels;
  if (const auto highest = ReadHighestLevel(driver)) {
    levels.reserve(*highest + 1);
    for (uint32_t n = *highest + 1; n-- > 0;) {
      const auto level = ReadLevel(driver, n);
      if (!level) break;
      levels.push_back(*level);
    }
  }
  UnpinThread(processors);
  return levels;
}

LongRunRangeSource RangeSource(CPortexDriver& driver) {
  return [&driver](const CpuInfo&) -> std::optional<LongRunRange> {
    const auto highest = ReadHighestLevel(driver);
    if (!highest) return std::nullopt;
    const auto top = ReadLevel(driver, *highest);
    const auto bottom = ReadLevel(driver, 0);
    if (!top || !bottom || top->mhz == 0) return std::nullopt;
    return LongRunRange{static_cast<int32_t>(top->mhz), static_cast<int32_t>(top->millivolts),
                        static_cast<int32_t>(bottom->mhz),
                        static_cast<int32_t>(bottom->millivolts)};
  };
}

}  // namespace pacetta::longrun
