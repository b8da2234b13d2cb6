#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace pacetta::k8 {

// One ACPI state's power-management mode byte of the northbridge's miscellaneous-control
// function (F3x80 bytes 0..3 for states 0..3, F3x84 for states 4..7). Bit 7 of the byte
// is never touched.
struct PowerMode {
  uint32_t divisor = 0;  // 0..6: the clock is divided by 8 x 2^divisor
  bool cpuLowPower = false;
  bool northbridgeLowPower = false;
  bool fidVidChange = false;
  bool altVidChange = false;  // alternate-VID processors only

  bool operator==(const PowerMode&) const = default;
};
inline constexpr size_t kAcpiStates = 8;

// What the "CPU setup" tab shows and what reaches the northbridge.
struct CpuSetup {
  std::array<PowerMode, kAcpiStates> modes{};
  uint32_t goodPhaseError = 0;  // list index 0..7 (F3xD4 bits 2:0)
  uint32_t rampHysteresis = 0;  // list index 0..11 (F3xD4 bits 11:8; 8..11 alternate-VID only)
  uint32_t pllLockUs = 0;       // 0..5240 (F3xD4 bits 31:16, 80 ns per count)
  // Index into the processor's alternate-VID list (its VID range from the first VID on);
  // none when the hardware's code lies outside it: no alternate VID is written then.
  std::optional<uint32_t> altVidIndex;
  uint32_t vsTimeUs = 0;  // 0..5240 (F3xD8 bits 19:0, 5 ns per count)

  bool operator==(const CpuSetup&) const = default;
};

// The transition scheme buttons of the "P-states transitions" tab.
enum class Scheme { kOfficialWhole, kOfficialHalf, kDirectWhole, kDirectHalf };

// The "P-states transitions" and "Misc. control" tabs: stored, used from the next start.
struct RestartValues {
  int32_t stopGrantTimeoutCount = 2000;  // bus clocks, 0..1000000
  int32_t fidDelayUs = 80;               // 0..100
  int32_t vidDelayUs = 100;              // 0..200
  int32_t rampVoltageOffsetMv = 50;      // 0, 25, 50 or 75
  Scheme scheme = Scheme::kOfficialWhole;
  bool tscSyncEnable = false;
  int32_t tscSyncSource = 0;  // core number 0 or 1
  int32_t tscSyncIntervalMs = 10000;

  bool operator==(const RestartValues&) const = default;
};

}  // namespace pacetta::k8
