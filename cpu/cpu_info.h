#pragma once
#include <array>
#include <cstdint>

#include "platform/cpu_instructions.h"

namespace pacetta {

inline constexpr unsigned kMaxProcessors = 32;
inline constexpr unsigned kStandardLeafCount = 16;
inline constexpr unsigned kExtendedLeafCount = 32;
inline constexpr uint32_t kExtendedLeafBase = 0x80000000u;

struct CacheDescription {
  uint32_t sizeKb = 0;
  uint32_t associativity = 0;  // ways; 255 = fully associative
  uint32_t linesPerTag = 0;
  uint32_t lineSize = 0;  // bytes
};

struct TlbDescription {
  uint32_t level1Entries = 0;
  uint32_t level1Associativity = 0;
  uint32_t level2Entries = 0;
  uint32_t level2Associativity = 0;
};

// One state the performance-state table can be built from. FID and VID codes are in the
// processor's own encoding; an ordinary state carries its one FID in all three FID words.
struct PStateCandidate {
  uint32_t lowestFid = 0;
  uint32_t highestFid = 0;
  uint32_t defaultFid = 0;
  uint32_t lowestVid = 0;   // VID of the lowest voltage
  uint32_t highestVid = 0;  // VID of the highest voltage
  uint32_t defaultVid = 0;
  uint32_t kind = 0;  // kCandidate*
};
static_assert(sizeof(PStateCandidate) == 28);

inline constexpr uint32_t kMaxPStateCandidates = 64;
inline constexpr uint32_t kCandidateOrdinary = 32;
inline constexpr uint32_t kCandidateSuperLfm = 49;             // Core 2 "SuperLFM"
inline constexpr uint32_t kCandidateDynamicAcceleration = 34;  // Core 2 IDA

// One look at a processor's busy-cycle counter (performance counter 0, counting unhalted
// cycles) and its time-stamp counter.
struct CounterSnapshot {
  uint64_t busy = 0;
  uint64_t tsc = 0;
};

// The busy-cycle history of one reader: a ring of snapshots and the running count of
// snapshots stored (the newest sits at (index - 1) mod kHistoryLength).
inline constexpr uint32_t kHistoryLength = 64;
struct BusyHistory {
  std::array<CounterSnapshot, kHistoryLength> entries{};
  uint32_t index = 0;
};
// Each history has one writer: the management thread and the monitoring thread.
inline constexpr uint32_t kManagementSlot = 0;
inline constexpr uint32_t kMonitoringSlot = 1;
inline constexpr uint32_t kTemperatureRingLength = 64;

// Program-wide hardware switches, read once at start and copied into every record.
struct HardwareSwitches {
  int32_t use8254 = 0;
  int32_t discardKernelCpuUsage = 0;
  int32_t unlockFid = 0;
  int32_t unlockVid = 0;
  int32_t unlockTm2 = 0;
  int32_t unlockEist = 0;
  int32_t amdK7DesktopVids = 0;
  int32_t intelCore2CpuType = -1;  // -1 = detect, 0, 1
};

// The record of one processor. Created zeroed apart from what start-up writes, then
// identified once; later subsystems add their readings next to these fields.
struct CpuInfo {
  // Topology.
  uint32_t index = 0;
  uint32_t packageId = 0;
  uint32_t isSecondary = 0;
  int32_t partnerIndex = -1;

  // Family flags, each 0 or 1.
  uint32_t isK7 = 0, isK8 = 0, isK8RevE = 0, isK8RevF = 0, isK8RevG = 0, isK8RevEOrLater = 0,
           isK8Npt = 0, isMobileK8 = 0, isK10 = 0, isAmdPowerNow = 0, isIntelP6 = 0, isPentiumM = 0,
           isCoreDuo = 0, isCore2 = 0, isPentium4 = 0, isPentium4Prescott = 0, isIntelCore = 0,
           isPentiumMOrCoreDuo = 0, isIntelSpeedStep = 0, isIntelPState = 0, isIntelSupported = 0,
           isTransmeta = 0, isVia6 = 0, isViaC7 = 0, hasDigitalThermalSensor = 0, hasIda = 0,
           hasDffs = 0, hasAperfMperf = 0;

  // Today's processors: the kernel frequency policy that owns the processor's states
  // (-1: none), its limits when the program started, and the highest clock the program
  // last asked of it. FID codes are then MHz.
  int32_t kernelPolicy = -1;
  uint32_t policyStartMinKhz = 0;
  uint32_t policyStartMaxKhz = 0;
  uint32_t policyMaxKhz = 0;
  // The energy-performance preference at start and the choices the policy offers, as
  // kEnergyPreference* indices and a mask of them (0: the driver has none), and whether
  // the program has set one (the preference is the way left where the limits are refused).
  int32_t policyStartPreference = -1;
  uint32_t policyPreferenceChoices = 0;
  uint32_t policyPreferenceSet = 0;

  HardwareSwitches switches;
  // Degrees added to this processor's temperature readings.
  int8_t tempOffset = 0;

  // Identification leaves: standard 0..15 and extended 0x80000000..0x8000001F.
  std::array<platform::CpuidResult, kStandardLeafCount> standardLeaves{};
  std::array<platform::CpuidResult, kExtendedLeafCount> extendedLeaves{};

  CacheDescription l1Instruction, l1Data, l2, l3;
  TlbDescription instructionTlb4k, dataTlb4k, instructionTlbLarge, dataTlbLarge;

  // Performance-state limits in the processor's own FID and VID codes. On AMD the VID
  // code falls as the voltage rises, so minVid (lowest voltage) is numerically above
  // maxVid there. Signed: a Pentium 4 derives its lowest FID by a subtraction that can
  // go below zero, and a negative code means "none".
  int32_t startFid = 0, minFid = 0, maxFid = 0;
  int32_t startVid = 0, minVid = 0, maxVid = 0;
  // AMD K8: which FIDs are offered (0, 8, 10, 12, 14, 16, 25..31).
  uint32_t k8FidTable = 0;
  uint32_t candidateCount = 0;
  std::array<PStateCandidate, kMaxPStateCandidates> candidates{};

  // Readings. The FID/VID fields are read by other threads while the monitoring thread
  // refreshes them, so they are written and read atomically (cpu/sensors/reading_fields.h).
  uint32_t currentFid = 0, currentVid = 0;      // the state the processor reports now
  uint32_t requestedFid = 0, requestedVid = 0;  // the state last written to its control
  uint32_t superLfmActive = 0;                  // Core 2 with DFFS: running on half the bus
  std::array<BusyHistory, 2> busyHistories{};   // kManagementSlot, kMonitoringSlot
  // Degrees: the sensor's reference (family constant or junction maximum) plus tempOffset.
  int32_t tempBase = 0;
  // Degrees Celsius; written only by the monitoring thread.
  std::array<float, kTemperatureRingLength> temperatures{};
  uint32_t temperatureIndex = 0;
};

}  // namespace pacetta
