#pragma once
#include <cstdint>

// Request codes and buffer layouts of the I/O driver. Every field is a 32-bit
// little-endian word; the same layouts travel to the simulated device and to the
// Portex64 helper.
namespace pacetta::driver {

inline constexpr uint32_t kMapPhysicalMemory = 0x80002000u;    // in 16 bytes, out 8
inline constexpr uint32_t kUnmapPhysicalMemory = 0x80002004u;  // in 8 bytes
inline constexpr uint32_t kReadPortByte = 0x80002008u;         // in 8, out 8 (word 1)
inline constexpr uint32_t kReadPortWord = 0x8000200Cu;
inline constexpr uint32_t kReadPortDword = 0x80002010u;
inline constexpr uint32_t kWritePortByte = 0x80002014u;  // in 8: port, value
inline constexpr uint32_t kWritePortWord = 0x80002018u;
inline constexpr uint32_t kWritePortDword = 0x8000201Cu;
inline constexpr uint32_t kRunKernelRoutine = 0x80002020u;  // 28 bytes in and out
inline constexpr uint32_t kQueryVersion = 0x80002028u;      // 8 bytes in and out
inline constexpr uint32_t kChangeUseCount = 0x8000202Cu;    // 8 bytes in and out
inline constexpr uint32_t kReadMsr = 0x80002030u;           // 12 bytes in and out
inline constexpr uint32_t kWriteMsr = 0x80002034u;          // 12 bytes in and out
// The kernel's frequency policy of today's processors, written for the program by the
// helper (Linux) or the simulated device: a policy's limits (in 12: policy id, min kHz,
// max kHz), its energy-performance preference (in 28: policy id, 24 bytes of NUL-padded
// text) and boost (in 4: 0 or 1). Nothing comes back.
inline constexpr uint32_t kSetFrequencyLimits = 0x80002040u;
inline constexpr uint32_t kSetEnergyPreference = 0x80002044u;
inline constexpr uint32_t kSetBoost = 0x80002048u;
// A policy's governor (in 28: policy id, 24 bytes of NUL-padded name): the program hands
// the processors it steers by their registers to the `userspace` governor and back.
inline constexpr uint32_t kSetGovernor = 0x8000204Cu;

// Requests that change a register or the kernel's frequency policy whatever they carry;
// a port write changes hardware or only chooses what a read sees, by its port.
inline constexpr bool ChangesRegistersOrPolicy(uint32_t code) {
  switch (code) {
    case kWriteMsr:
    case kSetFrequencyLimits:
    case kSetEnergyPreference:
    case kSetBoost:
    case kSetGovernor:
      return true;
    default:
      return false;
  }
}

inline constexpr uint32_t kUseCountTag = 0x80000000u;  // word 0 of a use-count request
inline constexpr uint32_t kExpectedMajor = 1;
inline constexpr uint32_t kExpectedMinor = 5;

// The driver's own answers to Open and Close.
inline constexpr int32_t kErrorDriverFileMissing = static_cast<int32_t>(0x80040400u);
inline constexpr int32_t kErrorManagerUnavailable = static_cast<int32_t>(0x80040401u);
inline constexpr int32_t kErrorStatusUnavailable = static_cast<int32_t>(0x80040402u);
inline constexpr int32_t kErrorServiceUnavailable = static_cast<int32_t>(0x80040403u);
inline constexpr int32_t kErrorDeviceUnavailable = static_cast<int32_t>(0x80040404u);

// Word 6 of a kernel call names one of the driver's dedicated routines; the driver runs
// only these, never code it receives.
enum class KernelRoutine : uint32_t {
  kBusyDelay = 1,            // EDX iterations of 120 no-operations, interrupts off
  kEnableUserCounters = 2,   // set CR4.PCE
  kDisableUserCounters = 3,  // clear CR4.PCE
  kTimerSnapshot = 4,        // ECX = counter; out ESI = 8254 count, EBX:ECX counter, EDX:EAX TSC
  kK7Transition = 5,         // EDX:EAX to 0xC0010041, poll 0xC0010042; out EBX = reads
};

struct KernelCallBlock {
  uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0, edi = 0, esi = 0;
  uint32_t routine = 0;
};
static_assert(sizeof(KernelCallBlock) == 28);

}  // namespace pacetta::driver
