#pragma once
#include <array>
#include <cstdint>

#include "ui/icons/icon_image.h"

namespace pacetta::icons {

// The frequency icon: the clock in MHz (with `freqIconMode` 1 times the throttle
// ratio; a throttle that is not available (negative) counts as 1), as "%d" over "MHz"
// below 1000 MHz with `freqIconUnits` 0, else "%3.2f" of GHz over "GHz". Key colour
// black, or white when `text` is exactly black; key pixels transparent.
IconImage DrawFrequencyIcon(double clockMhz, double throttle, int32_t freqIconMode,
                            int32_t freqIconUnits, ColorRef text);

// The temperature icon: "%d°" of the mean temperature in Celsius (converted when
// `tempUnits` is 1), the large font below 100 and the small one from 100 on; "T°" in
// red when `celsius` is negative (not available).
IconImage DrawTemperatureIcon(double celsius, int32_t tempUnits, ColorRef text);

// Which load each of the two bars or series shows: `loadIconMode` 0 CPU load on both,
// 1 OS load on both, 2 CPU load first and OS load second. A CPU load that is not
// available (negative) counts as 0.
struct LoadColors {
  ColorRef cpuLoad = 0x808080;
  ColorRef osLoad = 0x808080;
};

// The load meter: a black square, its rightmost column transparent, two bars of five
// segments, floor(load x 6 / 100) (at most 5) lit, the others at a third of the colour.
IconImage DrawLoadMeter(double cpuLoad, double osLoad, int32_t loadIconMode,
                        const LoadColors& colors);

// The load history graph: two rings of 16 samples (floor(load x 14 / 100), at most 13),
// one sample added to both at each refresh, drawn over the graph background with a
// dark green grid that moves one pixel left per sample.
// Each series is drawn as a one-pixel line through its newest 14 samples, the newest at
// x = 14; the second series first, so the first lies on top.
class LoadHistory {
 public:
  void Add(double cpuLoad, double osLoad, int32_t loadIconMode);
  // The series' colours follow the mode of the latest Add.
  IconImage Draw(const LoadColors& colors) const;
  // The series' colours follow `loadIconMode`: a mode changed from the menu recolours
  // the graph at once, before the next sample.
  IconImage Draw(const LoadColors& colors, int32_t loadIconMode) const;
  uint32_t SamplesTaken() const { return taken_; }

 private:
  std::array<std::array<int, 16>, 2> rings_{};
  uint32_t taken_ = 0;
  int32_t mode_ = 2;
};

// What the battery icon shows.
enum class BatteryCharge { kUnknown, kAbsent, kCharging, kCritical, kLow, kHigh };
struct BatteryIconState {
  BatteryCharge charge = BatteryCharge::kUnknown;
  // Charging (or `charge` kCharging) wins over critical for the overlay.
  bool charging = false;
  int32_t percent = -1;           // -1: unknown
  int32_t remainingSeconds = -1;  // -1: unknown
  int32_t mode = 0;               // 0 remaining time, 1 remaining percentage
  ColorRef text = 0x80FFFF;
};
IconImage DrawBatteryIcon(const BatteryIconState& state);

// The program's fixed pictures, by resource number: 200 the program icon, 201..204 the
// profile icons, 205..219 the performance levels 1..15, 292 the battery body, 293 the
// battery status overlays (a 64 x 16 strip of four cells), 294 the load graph's
// background. An empty image for any other number.
IconImage ProgramImage(int number);

}  // namespace pacetta::icons
