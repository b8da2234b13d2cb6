#pragma once
#include <cstdint>

// What the helper lets through at the privilege boundary: exactly the registers, ports,
// PCI functions and the memory range that the program's features use. Everything else
// is refused. The tables are in access_policy.cpp and docs/portex64.md.
namespace pacetta::portex {

bool MsrReadAllowed(uint32_t index);
bool MsrWriteAllowed(uint32_t index);

// How a port access is served.
enum class PortRoute {
  kRefused,
  kDirect,         // straight to the port
  kConfigAddress,  // mechanism #1 address register 0xCF8, kept per connection
  kConfigData,     // 0xCFC..0xCFF: the configuration register the address selects
};
// `pmControlPort` is the chipset's processor control register (ACPI base + 10h), 0 when
// no supported hub was found.
PortRoute RoutePortAccess(uint32_t port, unsigned width, bool write, uint32_t value,
                          uint32_t pmControlPort);

// A mechanism #1 configuration address (bit 31 enable, bus 23:16, device/function 15:8,
// register 7:2) and the byte offset within the double word that the data port selects.
bool PciReadAllowed(uint32_t configAddress, unsigned offset, unsigned width);
bool PciWriteAllowed(uint32_t configAddress, unsigned offset, unsigned width);

// Only the BIOS area 0xF0000..0xFFFFF may be copied out of physical memory.
bool MemoryRangeAllowed(uint32_t addressLow, uint32_t addressHigh, uint32_t length);

}  // namespace pacetta::portex
