#pragma once
// Settings for a simulated machine, written before `pacetta --simulate` starts, so that a
// test runs the program with a performance-state table and managed profiles.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "testing/identified_machine.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

// The values a lifecycle test sets; everything else keeps the program's defaults.
struct SeedValues {
  std::string machine;  // catalogue name; empty = the default machine
  int32_t profileAc = 0;
  int32_t profileDc = 0;
  int32_t mgmtStartDelayS = 0;
  int32_t controlMs = 100;
  int32_t refreshMs = 250;
  int32_t enableLogging = 1;
  int32_t loggingFlags = 0;
  int32_t defaultsOnExit = 1;
  int32_t suspendAction = 0;
  int32_t showInfoBalloons = 0;
  int32_t runMinimized = 0;
  // Up and down intervals of every managed half: short, so on-demand follows quickly.
  int32_t intervalMs = 200;
};

// What the seeded machine offers, as the status lines and the log show it.
struct SeededMachine {
  std::string settingsPath;
  // "%.1fx" and the FID code of every table row, slowest first.
  std::vector<std::string> multipliers;
  std::vector<uint32_t> fids;
  // Processor 0's multiplier at power-on, "%.1fx".
  std::string startMultiplier;
  // The log's "FID: %4.1f" field of the slowest and the fastest row, and at power-on.
  std::string slowestLogFid;
  std::string fastestLogFid;
  std::string startLogFid;

  const std::string& Slowest() const { return multipliers.front(); }
  const std::string& Fastest() const { return multipliers.back(); }
};

// Writes the settings of `values.machine` into `configHome` (the $XDG_CONFIG_HOME the
// program will get): the table of the processor's candidate states, "Power saving" on the
// slowest row, "Maximal performance" on the fastest, "Performance on demand" over all of
// them, and the values of `values`. Throws std::runtime_error on failure.
SeededMachine SeedSettings(const std::string& configHome, const SeedValues& values);

// A 32-bit value of the program's settings key in the file at `settingsPath`; nullopt
// when the file, the key or the value is missing.
std::optional<uint32_t> StoredWord(const std::string& settingsPath, const std::string& name);
std::optional<std::vector<uint8_t>> StoredBytes(const std::string& settingsPath,
                                                const std::string& name);

}  // namespace pacetta::testing
