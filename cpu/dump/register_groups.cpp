#include "cpu/dump/register_groups.h"

#include <span>

namespace pacetta {
namespace {

// Power-management registers: AMD clock control and FID/VID control and status.
constexpr uint32_t kK7Registers[] = {0xC0010015, 0xC001001B, 0xC0010041, 0xC0010042};
constexpr uint32_t kK8Registers[] = {0xC0010015, 0xC0010041, 0xC0010042};
// Intel: platform id, bus ratios, performance status and control, clock modulation,
// thermal interrupt and status, miscellaneous enables.
constexpr uint32_t kPentiumRegisters[] = {0x17,  0x2A,  0x2C,  0x2D,  0x198, 0x199,
                                          0x19A, 0x19B, 0x19C, 0x19D, 0x1A0, 0x1A1};
// Core and Core 2 add the bus clock, the platform information, the thermal and
// power-management configuration registers.
constexpr uint32_t kIntelCoreRegisters[] = {0x17,  0x2A,  0x2C,  0x2D,  0xCD,  0xCE,
                                            0xEE,  0x194, 0x198, 0x199, 0x19A, 0x19B,
                                            0x19C, 0x19D, 0x1A0, 0x1A1, 0x1A2, 0x1AA};
constexpr uint32_t kVia6Registers[] = {0x2A, 0x198, 0x199, 0x19A, 0x19B, 0x19C, 0x19D, 0x1A0};

void Add(std::vector<uint32_t>& out, std::span<const uint32_t> group) {
  out.insert(out.end(), group.begin(), group.end());
}

void AddRun(std::vector<uint32_t>& out, uint32_t first, uint32_t last) {
  for (uint32_t index = first; index <= last; ++index) out.push_back(index);
}

}  // namespace

std::vector<uint32_t> DumpedRegisters(const CpuInfo& cpu) {
  std::vector<uint32_t> registers;
  if (cpu.isK7) Add(registers, kK7Registers);
  if (cpu.isK8) Add(registers, kK8Registers);
  if (cpu.isPentiumM || cpu.isPentium4) Add(registers, kPentiumRegisters);
  if (cpu.isIntelCore) Add(registers, kIntelCoreRegisters);
  if (cpu.isVia6) Add(registers, kVia6Registers);
  if (cpu.isTransmeta) {
    // The LongRun registers in three blocks of sixteen (0x80860020.. is left out).
    AddRun(registers, 0x80860000, 0x8086000F);
    AddRun(registers, 0x80860010, 0x8086001F);
    AddRun(registers, 0x80860030, 0x8086003F);
  }
  return registers;
}

}  // namespace pacetta
