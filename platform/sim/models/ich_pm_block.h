#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/sim/driver/io_ports.h"

namespace pacetta::sim {

// The share of the time the processors' clocks run under the hub's throttling, from the
// processor control register (PROC_CNT): FORCE_THTL (bit 8) throttles at THRM_DTY (7:5),
// else THTL_EN (bit 4) at THTL_DTY (3:1), else nothing. A duty code v runs the clock v/8 of
// the time (STPCLK# is asserted the rest); code 0 is the 50 % default. That the forced
// thermal duty wins over the normal one is this model's assumption.
double IchThrottleDuty(uint32_t processorControl);

// The ICH's ACPI power-management I/O block (ICH4..ICH9 datasheets, "ACPI and Legacy I/O
// Space Register Details"): 128 ports at PMBASE, decoded only while ACPI_CNTL enables it.
// Only PROC_CNT at +10h is modelled: bits 8:1 read-write, THTL_STS (bit 17) read-only and
// set while either throttle is on; the block's other registers read 0 and ignore writes
// (this model's assumption: nothing the program uses lives there).
class IchPowerManagementBlock final : public IoDevice {
 public:
  static constexpr uint16_t kSize = 0x80;
  static constexpr uint16_t kProcessorControl = 0x10;
  // Told the new duty after every write that changes it.
  using DutyListener = std::function<void(double duty)>;

  explicit IchPowerManagementBlock(DutyListener listener) : listener_(std::move(listener)) {}

  // The block's place (PMBASE bits 15:7) and ACPI_CNTL's decode enable.
  void SetBase(uint16_t base);
  void SetDecode(bool enabled);

  std::optional<uint32_t> Read(uint16_t port, unsigned width) override;
  bool Write(uint16_t port, unsigned width, uint32_t value) override;

 private:
  bool DecodesLocked(uint16_t port) const;

  const DutyListener listener_;
  std::mutex mutex_;
  uint16_t base_ = 0;
  bool enabled_ = false;
  uint32_t processorControl_ = 0;
};

}  // namespace pacetta::sim
