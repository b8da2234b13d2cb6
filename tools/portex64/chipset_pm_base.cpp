#include "tools/portex64/chipset_pm_base.h"

namespace pacetta::portex {
namespace {

constexpr uint32_t kLpcBridge = 0x1F << 3;
constexpr uint32_t kIntelVendor = 0x8086;
constexpr uint32_t kIsaBridgeClass = 0x0601;  // class 06h, subclass 01h: the LPC bridge
// ICH datasheets, LPC interface D31:F0: PMBASE at 40h, bits 15:7 = the 128-byte ACPI
// I/O block; the processor control register P_CNT at offset 10h of that block.
constexpr uint32_t kPmBaseRegister = 0x40;
constexpr uint32_t kPmBaseMask = 0xFF80;
constexpr uint32_t kProcessorControlOffset = 0x10;

}  // namespace

uint32_t FindProcessorControlPort(HardwareFiles& hardware) {
  uint32_t vendor = 0, classCode = 0, pmBase = 0;
  if (!hardware.ReadConfig(kLpcBridge, 0x00, 2, vendor) || vendor != kIntelVendor) return 0;
  if (!hardware.ReadConfig(kLpcBridge, 0x0A, 2, classCode) || classCode != kIsaBridgeClass) {
    return 0;
  }
  if (!hardware.ReadConfig(kLpcBridge, kPmBaseRegister, 4, pmBase)) return 0;
  pmBase &= kPmBaseMask;
  return pmBase == 0 ? 0 : pmBase + kProcessorControlOffset;
}

}  // namespace pacetta::portex
