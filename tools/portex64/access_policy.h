#pragma once
#include <cstdint>
#include <optional>

// What the helper lets through at the privilege boundary: exactly the registers, ports,
// PCI functions and the memory range that the program's features use, and in the
// registers it writes only the bits it writes. Everything else is refused. The tables
// are in access_policy.cpp and docs/portex64.md.
namespace pacetta::portex {

// The bits of a register that a write may change: those the program itself writes. Every
// other bit must keep its current value, so a read-modify-write that carries foreign bits
// over unchanged passes. Read-only bits (status and readings the hardware keeps for
// itself) are not compared: no write changes them, and they may have moved since the
// client read the register.
struct WriteMask {
  uint64_t writable = 0;
  uint64_t readOnly = 0;

  bool Permits(uint64_t current, uint64_t requested) const {
    return ((current ^ requested) & ~(writable | readOnly)) == 0;
  }
};

bool MsrReadAllowed(uint32_t index);
// None when the register may not be written at all.
std::optional<WriteMask> MsrWriteMask(uint32_t index);

// How a port access is served.
enum class PortRoute {
  kRefused,
  kDirect,            // straight to the port
  kProcessorControl,  // the chipset's processor control register: writes are masked
  kConfigAddress,     // mechanism #1 address register 0xCF8, kept per connection
  kConfigData,        // 0xCFC..0xCFF: the configuration register the address selects
};
// `pmControlPort` is the chipset's processor control register (ACPI base + 10h), 0 when
// no supported hub was found.
PortRoute RoutePortAccess(uint32_t port, unsigned width, bool write, uint32_t value,
                          uint32_t pmControlPort);
WriteMask ProcessorControlWriteMask();

// A mechanism #1 configuration address (bit 31 enable, bus 23:16, device/function 15:8,
// register 7:2) and the byte offset within the double word that the data port selects.
bool PciReadAllowed(uint32_t configAddress, unsigned offset, unsigned width);
// The mask of the `width` bytes at `offset`, shifted down to the access's own bits; none
// when the register may not be written.
std::optional<WriteMask> PciWriteMask(uint32_t configAddress, unsigned offset, unsigned width);

// Only the BIOS area 0xF0000..0xFFFFF may be copied out of physical memory.
bool MemoryRangeAllowed(uint32_t addressLow, uint32_t addressHigh, uint32_t length);

}  // namespace pacetta::portex
