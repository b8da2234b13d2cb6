#include "platform/sim/catalogue/chipsets.h"

#include "platform/sim/machine/pci_config.h"

namespace pacetta::sim {
namespace {

constexpr uint16_t kIntelVendorId = 0x8086;
constexpr uint16_t kTransmetaVendorId = 0x1279;

constexpr uint32_t kIchDevice = 0x1F;
// ICH datasheets, LPC interface configuration: PMBASE (40h) holds the ACPI I/O base in
// bits 15:7 with bit 0 reading 1 (I/O space); ACPI_CNTL (44h) holds the decode enable.
constexpr uint32_t kPmBaseRegister = 0x40;
constexpr uint32_t kAcpiControlRegister = 0x44;
constexpr uint32_t kAcpiIoBase = 0x1000;

}  // namespace

void AddHostBridge(MachineSpec& machine, uint16_t vendorId, uint16_t deviceId, uint8_t revision) {
  PutPciDevice(machine, MakePciFunction(0, 0, 0,
                                        {.vendorId = vendorId,
                                         .deviceId = deviceId,
                                         .revision = revision,
                                         .classCode = kClassHostBridge}));
}

void AddIchLpcBridge(MachineSpec& machine, uint16_t deviceId, uint8_t revision,
                     IchAcpiEnableBit enableBit) {
  auto lpc = MakePciFunction(0, kIchDevice, 0,
                             {.vendorId = kIntelVendorId,
                              .deviceId = deviceId,
                              .revision = revision,
                              .classCode = kClassIsaBridge,
                              .multiFunction = true});
  WriteConfig32(lpc, kPmBaseRegister, kAcpiIoBase | 1);
  WriteConfig8(lpc, kAcpiControlRegister, enableBit == IchAcpiEnableBit::kBit4 ? 0x10 : 0x80);
  PutPciDevice(machine, std::move(lpc));
}

void AddCrusoeNorthbridge(MachineSpec& machine) {
  struct Function {
    uint16_t deviceId;
    uint32_t classCode;
  };
  // 0395h LongRun Northbridge, 0396h SDRAM controller, 0397h BIOS scratchpad.
  constexpr Function kFunctions[] = {
      {0x0395, kClassHostBridge}, {0x0396, kClassRamController}, {0x0397, kClassRamController}};
  for (uint32_t function = 0; function < 3; ++function) {
    PutPciDevice(machine, MakePciFunction(0, 0, function,
                                          {.vendorId = kTransmetaVendorId,
                                           .deviceId = kFunctions[function].deviceId,
                                           .revision = 1,
                                           .classCode = kFunctions[function].classCode,
                                           .multiFunction = function == 0}));
  }
}

}  // namespace pacetta::sim
