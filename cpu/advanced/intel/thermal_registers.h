#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "cpu/cpu_info.h"
#include "hw/portex_driver.h"
#include "platform/processors.h"

namespace pacetta::intel {

// The registers behind the thermal-monitor, SpeedStep and C-state settings of the Intel
// processors and the VIA C7.
inline constexpr uint32_t kPmConfigMsr = 0xEE;              // Core 2: DFFS enable, bit 28
inline constexpr uint32_t kPerfControlMsr = 0x199;          // IA32_PERF_CTL: bit 32 disengages IDA
inline constexpr uint32_t kTherm2ControlMsr = 0x19D;        // MSR_THERM2_CTL
inline constexpr uint32_t kMiscEnableMsr = 0x1A0;           // IA32_MISC_ENABLE
inline constexpr uint32_t kMiscPowerManagementMsr = 0x1AA;  // Core 2

// How a processor group lays its thermal monitors out.
enum class Group {
  kNone,
  kPentium4,  // family 0Fh: TM1 bit 3, TM2 bit 13, C1E bit 25 only
  kCoreDuo,   // Core Solo/Duo: as the Pentium 4, plus the enhanced C-state bits
  kCore2,     // TM1 and TM2 each also need bit 17; TM1 sync, extended throttling, IDA, DFFS
  kPentiumM,  // Pentium M and VIA C7: TM2 is selected by bit 16 of MSR_THERM2_CTL
};
Group GroupOf(const CpuInfo& cpu);

// Enhanced C-state bits in the order "IntelPMP4.CStateEnh" keeps them.
inline constexpr uint32_t kCStateC1e = 1u << 0;
inline constexpr uint32_t kCStateAll = 0x1F;

// The TM2 target operating point, in the processor's own FID and VID codes.
struct Tm2Target {
  uint32_t fid = 0;
  uint32_t vid = 0;
  bool operator==(const Tm2Target&) const = default;
};

// The settings' register side as one processor holds it.
struct ThermalSettings {
  bool tm1 = false;
  bool tm2 = false;
  bool syncTm1 = false;             // Core 2: 1AAh bit 21
  bool extendedThrottling = false;  // Core 2: 1AAh bit 20
  Tm2Target target;
  uint32_t cStates = 0;  // kCStateC1e and up
  bool idaEngaged = false;
  bool dffs = false;
  bool operator==(const ThermalSettings&) const = default;
};

// What a write changes: a feature the processor lacks is never written, and the target
// only when asked for and when it lies in the processor's own lists.
struct WriteRequest {
  ThermalSettings values;
  bool writeTarget = false;
};

// Processor `cpu`'s registers, read pinned to it; none when IA32_MISC_ENABLE cannot be
// read. Features the processor lacks read as off. The thread is unpinned afterwards.
std::optional<ThermalSettings> ReadThermalSettings(CPortexDriver& driver,
                                                   platform::Processors& processors,
                                                   const CpuInfo& cpu);
// Writes `request` to every processor of `cpus`, each pinned to it, as read-modify-writes
// of the named bits; a register that cannot be read is left alone and one that would not
// change is not written. The thread ends unpinned. The number of processors written.
size_t WriteThermalSettings(CPortexDriver& driver, platform::Processors& processors,
                            std::span<const CpuInfo> cpus, const WriteRequest& request);

// Enhanced SpeedStep (PowerSaver on the C7) on or off on every processor that has it,
// each pinned to it; a processor whose select lock (1A0h bit 20) is set keeps its bit.
// The state read back from the first processor afterwards; none when it has no Enhanced
// SpeedStep or its register cannot be read.
std::optional<bool> WriteSpeedStepEnable(CPortexDriver& driver, platform::Processors& processors,
                                         std::span<const CpuInfo> cpus, bool on);
// The select lock of `cpu` is set; false when it cannot be read.
bool SpeedStepLocked(CPortexDriver& driver, platform::Processors& processors, const CpuInfo& cpu);

}  // namespace pacetta::intel
