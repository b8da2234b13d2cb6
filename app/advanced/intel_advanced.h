#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "app/advanced/advanced_settings.h"
#include "app/advanced/centrino_chipset.h"

namespace pacetta {

// Which Intel-style page processor 0 gets; the page's rules differ between them.
enum class IntelPageKind {
  kNetBurst,  // Pentium 4, Pentium D, Xeon: TM1, TM2, target, EIST, C1E only
  kCentrino,  // Pentium M, Core Solo/Duo, Core 2: the processor tab of the container
  kViaC7,     // TM1 or TM2 (they exclude each other), target, PowerSaver
};

// What the page's enabling rules and lists depend on, from processor 0.
struct IntelPageFacts {
  IntelPageKind kind = IntelPageKind::kNetBurst;
  bool tm1 = false;  // "Enable Thermal Monitor 1" box enabled
  bool tm2 = false;  // "Enable Thermal Monitor 2" box enabled
  // The TM2 target lists are enabled.
  bool targetEditable = false;
  // "Target FID:" entries: the multiplier of every FID step from the minimal to the
  // maximal FID ("%.1fx"); "Target VID:" entries: the voltage of every VID step of the
  // range, volts ("%.4fV").
  std::vector<double> targetMultipliers;
  std::vector<double> targetVoltages;
  // The EIST (PowerSaver) box: supported, not unlocked by option and not locked by the
  // select lock. The stabilisation field: supported.
  bool eistBox = false;
  bool eistSupported = false;
  // The enhanced C-state boxes (the NetBurst page has C1E only).
  bool enhancedCStates = false;
  // Core 2: TM1 sync, extended throttling and the CPU type buttons.
  bool core2 = false;
  bool ida = false;   // Core 2 with IDA
  bool dffs = false;  // Core 2 with DFFS
};

// Enhanced C-state bits, as "IntelPMP4.CStateEnh" keeps them.
inline constexpr uint32_t kC1e = 1u << 0, kC2e = 1u << 1, kC3e = 1u << 2, kC4e = 1u << 3,
                          kHardC4e = 1u << 4;

// The register side of the processor page: what "Refresh" reads from processor 0 and
// "Apply" writes to every processor.
struct IntelProcessorValues {
  bool tm1 = false;
  bool tm2 = false;
  bool syncTm1 = false;             // Core 2
  bool extendedThrottling = false;  // Core 2
  // TM2 target: indices into the facts' target lists; -1 when the code read lies
  // outside them (nothing is written for an index outside the lists).
  int32_t targetFidIndex = -1;
  int32_t targetVidIndex = -1;
  uint32_t cStates = 0;  // kC1e..kHardC4e
  bool idaEngaged = false;
  bool dffs = false;

  bool operator==(const IntelProcessorValues&) const = default;
};

// The values that take effect at the next start.
struct IntelRestartValues {
  bool eist = false;          // Enhanced SpeedStep / PowerSaver on
  int32_t fidVidDelayUs = 0;  // 0..200, the value the AMD pages call the VID delay
  int32_t cpuType = -1;       // Core 2: -1 auto-detect, 0 desktop, 1 mobile

  bool operator==(const IntelRestartValues&) const = default;
};

// The advanced settings of Intel processors and the VIA C7: the thermal-monitor,
// SpeedStep and C-state registers of every processor, and on the Centrino-class systems
// the chipset and its throttling.
class IntelAdvanced : public AdvancedSettings {
 public:
  virtual IntelPageFacts Facts() const = 0;
  // Processor 0's registers as they are now (page creation, "Refresh"); none when they
  // cannot be read.
  virtual std::optional<IntelProcessorValues> ReadHardware() = 0;
  virtual IntelRestartValues StoredRestartValues() const = 0;
  virtual bool RememberAdvanced() const = 0;
  // "Apply": `values` are written to every processor (then, in the Centrino container,
  // `chipset` to the hub) and become the applied values; everything goes into the
  // settings saved at the end. True when a restart-required value changed. `chipset` is
  // ignored where there is no chipset.
  virtual bool Apply(const IntelProcessorValues& values, const ChipsetValues& chipset,
                     const IntelRestartValues& restart, bool rememberAdvanced) = 0;
  // The Centrino container's chipset; null on other pages.
  virtual CentrinoChipset* Chipset() = 0;
  // The orderly end, once the engine's threads have stopped: an applied CPU type goes
  // into every processor's record, from where the settings keep it for the next start.
  virtual void KeepForNextStart() = 0;
};

}  // namespace pacetta
