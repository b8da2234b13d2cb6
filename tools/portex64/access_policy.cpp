#include "tools/portex64/access_policy.h"

#include <algorithm>
#include <iterator>
#include <span>

namespace pacetta::portex {
namespace {

constexpr uint64_t Bit(unsigned n) {
  return uint64_t{1} << n;
}
// Bits high..low.
constexpr uint64_t Bits(unsigned high, unsigned low) {
  return ((uint64_t{2} << high) - 1) & ~(Bit(low) - 1);
}

// A register the program only reads.
constexpr WriteMask kReadOnly{};

struct MsrRule {
  uint32_t first;
  uint32_t last;
  WriteMask write;
};

// Every register the program reads or writes, by family. Read-only rows are those the
// program only reads (identification, limits, readings, the diagnostic dump); a writable
// row carries the bits the program writes (SDM vol. 3, the BKDGs, the LongRun interface).
constexpr MsrRule kMsrRules[] = {
    // Time-stamp counter: the K8 TSC synchroniser copies a whole count.
    {0x10, 0x10, {Bits(63, 0)}},
    {0x17, 0x17, kReadOnly},  // IA32_PLATFORM_ID
    {0x2A, 0x2A, kReadOnly},  // EBL_CR_POWERON
    {0x2C, 0x2D, kReadOnly},  // Pentium 4 EBC frequency id and limits
    {0xC1, 0xC2, kReadOnly},  // IA32_PMC0/1: busy-cycle counter
    {0xCD, 0xCE, kReadOnly},  // FSB frequency, platform info (Core 2)
    // Core 2 PM config: DFFS enable (28); the 85 degree flag (30) is only read.
    {0xEE, 0xEE, {Bit(28)}},
    // IA32_PERFEVTSEL0/1: event 7:0, unit mask 15:8, USR 16, OS 17, EN 22.
    {0x186, 0x187, {Bits(17, 0) | Bit(22)}},
    {0x194, 0x194, kReadOnly},
    {0x198, 0x198, kReadOnly},  // IA32_PERF_STATUS
    // IA32_PERF_CTL: FID 15:8 (15 the Core 2 SuperLFM), VID 7:0; IDA disengage 32.
    {0x199, 0x199, {Bits(15, 0) | Bit(32)}},
    // IA32_CLOCK_MODULATION: enable 4, duty cycle 3:1.
    {0x19A, 0x19A, {Bits(4, 1)}},
    {0x19B, 0x19B, kReadOnly},  // IA32_THERM_INTERRUPT
    // IA32_THERM_STATUS: the thermal log (1) is acknowledged; the other logs are not the
    // program's. Statuses, the readout, its resolution and valid bit are read-only.
    {0x19C,
     0x19C,
     {Bit(1), Bit(0) | Bit(2) | Bit(4) | Bit(6) | Bit(8) | Bit(10) | Bits(22, 16) | Bits(31, 27)}},
    // MSR_THERM2_CTL: TM2 target FID 15:8 and VID 7:0, TM2 select 16 (Pentium M, C7).
    {0x19D, 0x19D, {Bits(16, 0)}},
    // IA32_MISC_ENABLE: TM1 3, performance monitoring 7, TM2 13, EIST 16, Core 2 thermal
    // monitor 17, C1E 25, C2E 26, C3E 31, C4E 32, hard C4E 33. Not execute-disable (34),
    // the EIST lock (20) or anything else.
    {0x1A0,
     0x1A0,
     {Bit(3) | Bit(7) | Bit(13) | Bit(16) | Bit(17) | Bit(25) | Bit(26) | Bit(31) | Bit(32) |
      Bit(33)}},
    {0x1A1, 0x1A2, kReadOnly},
    // Core 2: extended throttling 20, TM1 synchronised on the cores 21.
    {0x1AA, 0x1AA, {Bits(21, 20)}},
    {0x300, 0x311, kReadOnly},  // Pentium 4 counters
    // Pentium 4 CCCR0: enable 12, ESCR select 15:13, active thread 17:16.
    {0x360, 0x360, {Bits(17, 12)}},
    // Pentium 4 ESCR: event select 30:25, event mask 24:9, OS/USR of both threads 3:0.
    {0x3A2, 0x3A2, {Bits(30, 9) | Bits(3, 0)}},
    {0x80860000, 0x8086001F, kReadOnly},  // Transmeta dump ranges
    {0x80860030, 0x8086003F, kReadOnly},
    // LongRun lower (low half) and upper (high half) bound, in percent.
    {0x80868010, 0x80868010, {Bits(38, 32) | Bits(6, 0)}},
    // LongRun performance mode (0).
    {0x80868011, 0x80868011, {Bit(0)}},
    // LRTI level select: the level in the low half; the high half reads the highest one.
    {0x80868018, 0x80868018, {Bits(31, 0), Bits(63, 32)}},
    {0x80868019, 0x8086801D, kReadOnly},  // LRTI level data
    // AMD PerfEvtSel0..3: event 7:0, unit mask 15:8, USR 16, OS 17, PC 19, EN 22.
    {0xC0010000, 0xC0010003, {Bits(17, 0) | Bit(19) | Bit(22)}},
    {0xC0010004, 0xC0010007, kReadOnly},  // AMD PerfCtr0..3
    {0xC0010015, 0xC0010015, kReadOnly},  // HWCR
    // K7 CLK_CTL: ramp delays, the halt and stop-grant divisors, APIC disconnect and the
    // full ramp: the low half but bits 11:10 and 7.
    {0xC001001B, 0xC001001B, {Bits(31, 12) | Bits(9, 8) | Bits(6, 0)}},
    // FIDVID_CTL: FID 5:0, VID 13:8, InitFidVid (K7: FIDC) 16, K7 VIDC 17, stop-grant
    // time-out count 51:32.
    {0xC0010041, 0xC0010041, {Bits(5, 0) | Bits(13, 8) | Bits(17, 16) | Bits(51, 32)}},
    {0xC0010042, 0xC0010042, kReadOnly},  // FIDVID_STATUS
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

struct ConfigRegister {
  uint32_t reg;  // double word
  WriteMask write;
};

// Transmeta host bridge A8h: ATM engaged 4 and level field 3:1; 0 (present) is only read.
constexpr ConfigRegister kHostBridgeWrites[] = {{0xA8, {Bits(4, 1)}}};

// K8 northbridge function 3 (BKDG for AMD Family 0Fh).
constexpr ConfigRegister kK8MiscWrites[] = {
    // Power-management mode bytes of the eight ACPI states: bits 6:0 of each byte.
    {0x80, {0x7F7F7F7F}},
    {0x84, {0x7F7F7F7F}},
    // Clock power/timing: good phase error 2:0, ramp hysteresis 11:8, PLL lock 31:16.
    {0xD4, {Bits(31, 16) | Bits(11, 8) | Bits(2, 0)}},
    // Alternate VID stabilisation time 19:0 and VID 25:20; 30:28 cleared.
    {0xD8, {Bits(30, 28) | Bits(25, 0)}},
    // Thermtrip status: the sensor's core select 2. Thermtrip senses, the diode and Tj
    // offsets and the temperature are read-only; software thermtrip 31 is not the program's.
    {0xE4, {Bit(2), Bit(1) | Bits(5, 3) | Bits(28, 8)}},
};

// ICH LPC bridge (device 1Fh function 0).
constexpr ConfigRegister kLpcWrites[] = {
    // ACPI_CNTL 44h: ACPI decode enable, bit 4 (ICH4) or 7.
    {0x44, {Bit(7) | Bit(4)}},
    // GEN_PMCON A0h: CPUSLP# 5, C4 on C3 7, C4 in S1-M 8, C5/C6 11, C4 disable 12; A2h:
    // CPU PLL lock time 6:5.
    {0xA0, {Bits(22, 21) | Bits(12, 11) | Bits(8, 7) | Bit(5)}},
    // A8h: CPUSLP# to STPCLK# delay 5:0; A9h: Popdown 4, Popup 3:2; AAh: slow C4 exit 6,
    // its delay 5:4, DPRSLPVR to STPCPU# 3:2, DPSLP# to CPUSLP# 1:0.
    {0xA8, {Bits(22, 16) | Bits(12, 10) | Bits(5, 0)}},
};

// The registers the program writes in a bus 0 function: the Transmeta host bridge, every
// K8 node's miscellaneous control and the ICH LPC bridge.
std::span<const ConfigRegister> WritableRegistersOf(uint32_t devfn) {
  if (devfn == 0) return kHostBridgeWrites;
  if (devfn == 0x1Fu << 3) return kLpcWrites;
  if (devfn >= 0x18u << 3 && (devfn & 7) == 3) return kK8MiscWrites;
  return {};
}

const ConfigRegister* FindConfigRegister(uint32_t devfn, uint32_t reg) {
  for (const ConfigRegister& r : WritableRegistersOf(devfn)) {
    if (r.reg == reg) return &r;
  }
  return nullptr;
}

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

std::optional<WriteMask> MsrWriteMask(uint32_t index) {
  const MsrRule* rule = FindMsr(index);
  if (rule == nullptr || rule->write.writable == 0) return std::nullopt;
  return rule->write;
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
  if (pmControlPort != 0 && port == pmControlPort && width == 4) {
    return PortRoute::kProcessorControl;
  }
  return PortRoute::kRefused;
}

// ICH P_CNT: normal throttling duty 3:1 and enable 4, thermal duty 7:5 and forced
// throttling 8; the throttling status 17 is read-only.
WriteMask ProcessorControlWriteMask() {
  return {Bits(8, 1), Bit(17)};
}

bool PciReadAllowed(uint32_t configAddress, unsigned offset, unsigned width) {
  return WellFormedConfigAddress(configAddress) && AlignedWithin(offset, width) &&
         PciDeviceAllowed((configAddress >> 8) & 0xFF);
}

std::optional<WriteMask> PciWriteMask(uint32_t configAddress, unsigned offset, unsigned width) {
  if (!PciReadAllowed(configAddress, offset, width)) return std::nullopt;
  const ConfigRegister* rule =
      FindConfigRegister((configAddress >> 8) & 0xFF, configAddress & 0xFC);
  if (rule == nullptr) return std::nullopt;
  const uint64_t lanes = Bits(8 * width - 1, 0);
  const WriteMask mask{(rule->write.writable >> (8 * offset)) & lanes,
                       (rule->write.readOnly >> (8 * offset)) & lanes};
  // Bytes of a register that hold nothing the program writes are not written at all.
  if (mask.writable == 0) return std::nullopt;
  return mask;
}

bool MemoryRangeAllowed(uint32_t addressLow, uint32_t addressHigh, uint32_t length) {
  constexpr uint64_t kBiosFirst = 0xF0000, kBiosEnd = 0x100000;
  return addressHigh == 0 && length > 0 && addressLow >= kBiosFirst &&
         uint64_t{addressLow} + length <= kBiosEnd;
}

}  // namespace pacetta::portex
