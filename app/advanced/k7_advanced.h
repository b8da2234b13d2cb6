#pragma once
#include <cstdint>
#include <optional>

#include "app/advanced/advanced_settings.h"
#include "cpu/advanced/k7/clock_control.h"

namespace pacetta {

// What the K7 page's enabling rules depend on, from processor 0.
struct K7PageFacts {
  // FID/VID control: the "P-state transitions settings (restart required)" group is
  // enabled.
  bool fidVidControl = false;
};

// The K7 page's transition group: stored, used by the transition sequence from the next
// start.
struct K7RestartValues {
  int32_t stopGrantTimeoutCount = 10000;  // bus clocks, 0..1000000
  int32_t fidDelayUs = 80;                // 0..100
  int32_t vidDelayUs = 100;               // 0..200
  // The VID table: false "Mobile CPU", true "Low-power desktop CPU".
  bool desktopVids = false;

  bool operator==(const K7RestartValues&) const = default;
};

// The K7's advanced settings: the clock-control register of every processor, and the
// restart-required transition values and VID table.
class K7Advanced : public AdvancedSettings {
 public:
  virtual K7PageFacts Facts() const = 0;
  // Processor 0's register as it is now (page creation, "Refresh"); none when it cannot
  // be read.
  virtual std::optional<k7::ClockControl> ReadHardware() = 0;
  // The restart-required values as they will be stored.
  virtual K7RestartValues StoredRestartValues() const = 0;
  virtual bool RememberAdvanced() const = 0;
  // The page's "Apply": `clock` is written to every processor and becomes the applied
  // values; everything goes into the settings saved at the end (the register fields are
  // written there only with "RememberAdvanced"). True when a restart-required value
  // changed (the page then asks about a restart).
  virtual bool Apply(const k7::ClockControl& clock, const K7RestartValues& restart,
                     bool rememberAdvanced) = 0;
  // The orderly end, once the engine's threads have stopped: an applied VID table choice
  // goes into every processor's record, from where the settings keep it for the next
  // start. Changing the records earlier would switch the running transitions' VID order
  // under them.
  virtual void KeepForNextStart() = 0;
};

}  // namespace pacetta
