#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/sim/models/bit_field.h"
#include "platform/sim/models/power_on_data.h"
#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim::intel {

// Model-specific registers of the Intel performance-state families and the VIA C7 (Intel
// SDM volume 3, "Model-Specific Registers", and the VIA C7 datasheet's MSR list).
inline constexpr uint32_t kPlatformId = 0x17;     // IA32_PLATFORM_ID
inline constexpr uint32_t kPowerOnConfig = 0x2A;  // EBL_CR_POWERON / EBC_HARD_POWERON
inline constexpr uint32_t kEbcFrequency = 0x2C;   // Pentium 4 MSR_EBC_FREQUENCY_ID
inline constexpr uint32_t kEbcFrequencyRange = 0x2D;
inline constexpr uint32_t kFsbFrequency = 0xCD;      // MSR_FSB_FREQ (Core)
inline constexpr uint32_t kPlatformInfo = 0xCE;      // Core 2: Super LFM and IDA points
inline constexpr uint32_t kPmConfig = 0xEE;          // Core 2: DFFS enable, junction maximum
inline constexpr uint32_t kPerfStatus = 0x198;       // IA32_PERF_STATUS
inline constexpr uint32_t kPerfControl = 0x199;      // IA32_PERF_CTL
inline constexpr uint32_t kClockModulation = 0x19A;  // IA32_CLOCK_MODULATION
inline constexpr uint32_t kTherm2Control = 0x19D;    // MSR_THERM2_CTL
inline constexpr uint32_t kMiscEnable = 0x1A0;       // IA32_MISC_ENABLE
inline constexpr uint32_t kPlatformBrv = 0x1A1;      // Pentium 4: start operating point
inline constexpr uint32_t kMiscPowerManagement = 0x1AA;

// IA32_PERF_STATUS and IA32_PERF_CTL: the operating point in bits 15..8 (FID) and 7..0
// (VID); the Pentium M and Core families use bits 12..8 and 5..0 and mark the Core 2's
// Super LFM (half bus) with bit 15; bit 32 of the Core 2's IA32_PERF_CTL disengages IDA.
inline constexpr BitField kFid{15, 8}, kCoreFid{14, 8}, kVid{7, 0};
inline constexpr uint64_t kSuperLfm = Bit(15);
inline constexpr uint64_t kIdaDisengage = Bit(32);
// IA32_MISC_ENABLE: automatic thermal control (TM1) in bit 3.
inline constexpr uint64_t kThermalMonitor = Bit(3);
inline constexpr uint64_t kEistEnable = Bit(16), kEistLock = Bit(20);
inline constexpr uint64_t kMiscEnableReadOnly = Bit(7) | Bit(11) | Bit(12);
// Thermal Monitor 2 enable (Pentium 4 from model 3, Core); on the Core 2 bit 17 must be
// set as well for either monitor to act.
inline constexpr uint64_t kTm2Enable = Bit(13), kCore2MonitorEnable = Bit(17);
// MSR_THERM2_CTL bit 16 (Pentium M, C7): with 1A0h bit 3 set, TM2 acts instead of TM1.
inline constexpr uint64_t kTm2Select = Bit(16);
// IA32_CLOCK_MODULATION: enable in bit 4, duty cycle in eighths in bits 3..1.
inline constexpr uint64_t kModulationEnable = Bit(4);
inline constexpr BitField kDutyCycle{3, 1};
inline constexpr uint64_t kModulationWritable = 0x1E;
// MSR 0EEh (Core 2): DFFS enable bit 28; bit 30 marks an 85 °C junction maximum.
inline constexpr uint64_t kDffsEnable = Bit(28), kJunction85 = Bit(30);

// How the family lays out its limits in IA32_PERF_STATUS.
enum class Layout {
  kSpeedStep,  // Pentium M, Core Duo, Core 2
  kPentium4,   // model 3 and later
  kPentium4Model2,
  kViaC7,
};
Layout LayoutOf(ModelFamily family);

struct PlainRegister {
  uint32_t index;
  uint64_t value;
  uint64_t writable;  // 0: read-only
};

// Every register of the family at power-on.
struct PowerOnRegisters {
  std::optional<uint64_t> perfStatus;  // absent on the Pentium 4 model 2
  uint64_t perfControl = 0;
  uint64_t perfControlWritable = 0;
  uint64_t miscEnable = 0;
  // The IA32_MISC_ENABLE bits software may change; setting a bit that is neither these
  // nor read-only (kMiscEnableReadOnly) faults.
  uint64_t miscEnableWritable = 0;
  std::vector<PlainRegister> plain;
};
PowerOnRegisters ComposePowerOn(const ProcessorTraits& traits, const PowerOnData& data);

// The range the part accepts in IA32_PERF_CTL, read from its registers as the hardware
// reports it.
struct PerfLimits {
  uint32_t minFid = 0;
  uint32_t maxFid = 0;
  uint32_t maxVid = 0;
  std::optional<OperatingPoint> ida;
};
PerfLimits DecodeLimits(Layout layout, bool hasIda, uint64_t perfStatus,
                        const std::optional<uint64_t>& ebcFrequency,
                        const std::optional<uint64_t>& platformInfo);

}  // namespace pacetta::sim::intel
