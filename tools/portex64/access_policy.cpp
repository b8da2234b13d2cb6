#include "tools/portex64/access_policy.h"

#include <algorithm>
#include <iterator>

namespace pacetta::portex {
namespace {

struct MsrRule {
  uint32_t first;
  uint32_t last;
  bool writable;
};

// Every register the program reads or writes, by family. Read-only rows are those the
// program only reads (identification, limits, readings, the diagnostic dump).
constexpr MsrRule kMsrRules[] = {
    {0x10, 0x10, true},    // time-stamp counter: the K8 TSC synchroniser sets it
    {0x17, 0x17, false},   // IA32_PLATFORM_ID
    {0x2A, 0x2A, false},   // EBL_CR_POWERON
    {0x2C, 0x2D, false},   // Pentium 4 EBC frequency id and limits
    {0xC1, 0xC2, false},   // IA32_PMC0/1: busy-cycle counter
    {0xCD, 0xCE, false},   // FSB frequency, platform info (Core 2)
    {0xEE, 0xEE, true},    // PM config: DFFS bit 28 (Core 2)
    {0x186, 0x187, true},  // IA32_PERFEVTSEL0/1
    {0x194, 0x194, false},
    {0x198, 0x198, false},  // IA32_PERF_STATUS
    {0x199, 0x199, true},   // IA32_PERF_CTL
    {0x19A, 0x19A, true},   // IA32_CLOCK_MODULATION
    {0x19B, 0x19B, false},  // IA32_THERM_INTERRUPT
    {0x19C, 0x19C, true},   // IA32_THERM_STATUS: the sticky log bit is cleared
    {0x19D, 0x19D, true},   // MSR_THERM2_CTL: TM2 target and enable
    {0x1A0, 0x1A0, true},   // IA32_MISC_ENABLE: TM1/TM2, EIST, C-state enhancements
    {0x1A1, 0x1A2, false},
    {0x1AA, 0x1AA, true},             // Core 2: TM1 sync, extended throttling
    {0x300, 0x311, false},            // Pentium 4 counters
    {0x360, 0x360, true},             // Pentium 4 CCCR0
    {0x3A2, 0x3A2, true},             // Pentium 4 BPU ESCR
    {0x80860000, 0x8086001F, false},  // Transmeta dump ranges
    {0x80860030, 0x8086003F, false},
    {0x80868010, 0x80868011, true},   // LongRun bounds and performance mode
    {0x80868018, 0x80868018, true},   // LRTI level select
    {0x80868019, 0x8086801D, false},  // LRTI level data
    {0xC0010000, 0xC0010003, true},   // AMD PerfEvtSel0..3
    {0xC0010004, 0xC0010007, false},  // AMD PerfCtr0..3
    {0xC0010015, 0xC0010015, false},  // HWCR
    {0xC001001B, 0xC001001B, true},   // K7 clock control
    {0xC0010041, 0xC0010041, true},   // FIDVID_CTL
    {0xC0010042, 0xC0010042, false},  // FIDVID_STATUS
};

const MsrRule* FindMsr(uint32_t index) {
  const auto found =
      std::find_if(std::begin(kMsrRules), std::end(kMsrRules),
                   [index](const MsrRule& r) { return index >= r.first && index <= r.last; });
  return found == std::end(kMsrRules) ? nullptr : found;
}

// 8254 ports: the channel counters and the mode/command register.
constexpr uint32_t kTimerFirst = 0x40;
constexpr uint32_t kTimerLastCounter = 0x42;
constexpr uint32_t kTimerCommand = 0x43;
constexpr uint32_t kConfigAddressPort = 0xCF8;
constexpr uint32_t kConfigDataPort = 0xCFC;

// A counter-latch command (bits 5:4 = 00) for channel 0, 1 or 2 only freezes the count
// for reading; any other command would reprogram the system timer.
bool IsLatchCommand(uint32_t value) {
  return value == 0x00 || value == 0x40 || value == 0x80;
}

struct PciWriteRule {
  uint32_t devfn;
  uint32_t registers[5];  // double-word registers, 0 = unused
};

// Registers the program writes: the transmeta ATM register of the host bridge, the K8
// northbridge function 3 power-management registers and the thermal core select, the
// ICH LPC bridge's ACPI control and C-state registers.
constexpr PciWriteRule kPciWrites[] = {
    {0x00, {0xA8}},
    {0x18 << 3 | 3, {0x80, 0x84, 0xD4, 0xD8, 0xE4}},
    {0x19 << 3 | 3, {0x80, 0x84, 0xD4, 0xD8, 0xE4}},
    {0x1A << 3 | 3, {0x80, 0x84, 0xD4, 0xD8, 0xE4}},
    {0x1B << 3 | 3, {0x80, 0x84, 0xD4, 0xD8, 0xE4}},
    {0x1C << 3 | 3, {0x80, 0x84, 0xD4, 0xD8, 0xE4}},
    {0x1D << 3 | 3, {0x80, 0x84, 0xD4, 0xD8, 0xE4}},
    {0x1E << 3 | 3, {0x80, 0x84, 0xD4, 0xD8, 0xE4}},
    {0x1F << 3 | 3, {0x80, 0x84, 0xD4, 0xD8, 0xE4}},
    {0x1F << 3 | 0, {0x44, 0xA0, 0xA8}},
};

// Bus 0 only, enable bit set, reserved bits 30:24 and the low address bits clear.
bool WellFormedConfigAddress(uint32_t address) {
  return (address & 0x80000000u) != 0 && (address & 0x7F000003u) == 0 &&
         ((address >> 16) & 0xFF) == 0;
}

bool AlignedWithin(unsigned offset, unsigned width) {
  return (width == 1 || width == 2 || width == 4) && offset % width == 0 && offset + width <= 4;
}

// Host bridge (device 0 function 0), and functions 0..3 of devices 18h..1Fh: the K8
// northbridge of each node and, at 1Fh function 0, the ICH LPC bridge.
bool PciDeviceAllowed(uint32_t devfn) {
  if (devfn == 0) return true;
  return devfn >= (0x18u << 3) && (devfn & 7) <= 3;
}

}  // namespace

bool MsrReadAllowed(uint32_t index) {
  return FindMsr(index) != nullptr;
}

bool MsrWriteAllowed(uint32_t index) {
  const MsrRule* rule = FindMsr(index);
  return rule != nullptr && rule->writable;
}

PortRoute RoutePortAccess(uint32_t port, unsigned width, bool write, uint32_t value,
                          uint32_t pmControlPort) {
  if (port > 0xFFFF) return PortRoute::kRefused;
  if (width == 1 && port >= kTimerFirst && port <= kTimerLastCounter && !write) {
    return PortRoute::kDirect;
  }
  if (width == 1 && port == kTimerCommand && write && IsLatchCommand(value)) {
    return PortRoute::kDirect;
  }
  // A narrower access at 0xCF8 would reach 0xCF9, the reset control register.
  if (port == kConfigAddressPort && width == 4) return PortRoute::kConfigAddress;
  if (port >= kConfigDataPort && port <= kConfigDataPort + 3 &&
      AlignedWithin(port - kConfigDataPort, width)) {
    return PortRoute::kConfigData;
  }
  if (pmControlPort != 0 && port == pmControlPort && width == 4) return PortRoute::kDirect;
  return PortRoute::kRefused;
}

bool PciReadAllowed(uint32_t configAddress, unsigned offset, unsigned width) {
  return WellFormedConfigAddress(configAddress) && AlignedWithin(offset, width) &&
         PciDeviceAllowed((configAddress >> 8) & 0xFF);
}

bool PciWriteAllowed(uint32_t configAddress, unsigned offset, unsigned width) {
  if (!PciReadAllowed(configAddress, offset, width)) return false;
  const uint32_t devfn = (configAddress >> 8) & 0xFF;
  const uint32_t reg = configAddress & 0xFC;
  for (const PciWriteRule& rule : kPciWrites) {
    if (rule.devfn != devfn) continue;
    for (uint32_t allowed : rule.registers) {
      if (allowed != 0 && allowed == reg) return true;
    }
  }
  return false;
}

bool MemoryRangeAllowed(uint32_t addressLow, uint32_t addressHigh, uint32_t length) {
  constexpr uint64_t kBiosFirst = 0xF0000, kBiosEnd = 0x100000;
  return addressHigh == 0 && length > 0 && addressLow >= kBiosFirst &&
         uint64_t{addressLow} + length <= kBiosEnd;
}

}  // namespace pacetta::portex
