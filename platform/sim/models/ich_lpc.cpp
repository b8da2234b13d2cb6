#include "platform/sim/models/ich_lpc.h"

#include <memory>

#include "platform/sim/machine/pci_config.h"
#include "platform/sim/models/ich_pm_block.h"

namespace pacetta::sim {
namespace {

constexpr uint16_t kIntelVendorId = 0x8086;
constexpr uint32_t kLpcDevfn = 0x1F * 8;
constexpr uint32_t kPmBase = 0x40;
constexpr uint32_t kAcpiControl = 0x44;
constexpr uint32_t kPmcon = 0xA0;        // A0h..A3h
constexpr uint32_t kStateTiming = 0xA8;  // A8h..ABh
// PMBASE: the block's base in bits 15:7; bit 0 reads 1 (an I/O space indicator).
constexpr uint32_t kPmBaseWritable = 0x0000FF80;
constexpr uint32_t kPmBaseIoSpace = 1;
// ACPI_CNTL: SCI_IRQ_SEL in bits 2:0 besides the decode enable.
constexpr uint32_t kSciIrqSelect = 0x7;

// Which bits each part implements (ICH4/ICH4-M 82801DB(M), ICH5 82801EB, ICH6 82801FB(M),
// ICH7 82801GB(M), ICH8 82801HB(M), ICH9 82801IB datasheets, "LPC Interface Bridge
// Registers"). This model's assumption where the datasheets leave it open: the status and
// write-once bits (GEN_PMCON_2 4:0, SMI_LOCK) are read-only; the mobile C-state bits (A0h
// bit 7, A9h, AAh) exist on the mobile parts only; the PLL lock time (A2h 6:5) on every
// part but ICH4 and ICH5; the CPUSLP# to STPCLK# delay (A8h 5:0) on ICH4/ICH4-M/ICH5 only.
struct Part {
  uint16_t deviceIds[4];
  IchLpcModel model;
};
constexpr uint32_t kBit4 = 1u << 4, kBit7 = 1u << 7;
constexpr Part kParts[] = {
    {{0x24C0}, {kBit4, 0x0023, 0x00, 0x3F, 0x00, 0x00}},                  // ICH4
    {{0x24CC}, {kBit4, 0x01A7, 0x60, 0x3F, 0x00, 0x00}},                  // ICH4-M: C4 in S1-M
    {{0x24D0, 0x24DC}, {kBit4, 0x0023, 0x00, 0x3F, 0x00, 0x00}},          // ICH5
    {{0x2640, 0x2642}, {kBit7, 0x0423, 0x60, 0x00, 0x00, 0x00}},          // ICH6
    {{0x2641}, {kBit7, 0x04A7, 0x60, 0x00, 0x1C, 0x0F}},                  // ICH6-M
    {{0x27B0, 0x27B8}, {kBit7, 0x0423, 0x60, 0x00, 0x00, 0x00}},          // ICH7
    {{0x27B9, 0x27BD}, {kBit7, 0x04A7, 0x60, 0x00, 0x1C, 0x0F}},          // ICH7-M
    {{0x2810, 0x2812, 0x2814}, {kBit7, 0x0423, 0x60, 0x00, 0x00, 0x00}},  // ICH8
    // ICH8-M: C4 disable (A0h 12), C5 enable (11), slow C4 exit and its delay (AAh 6:4).
    {{0x2811, 0x2815}, {kBit7, 0x1CA7, 0x60, 0x00, 0x1C, 0x7F}},
    {{0x2912, 0x2914, 0x2916, 0x2918}, {kBit7, 0x0423, 0x60, 0x00, 0x00, 0x00}},  // ICH9
};

// A double word of configuration space whose read-write bits are `writable`.
class MaskedRegister final : public PciRegister {
 public:
  using Listener = std::function<void(uint32_t value)>;
  MaskedRegister(uint32_t start, uint32_t writable, Listener listener = nullptr)
      : value_(start), writable_(writable), listener_(std::move(listener)) {
    if (listener_) listener_(value_);
  }
  uint32_t Read() override { return value_; }
  void Write(uint32_t value, uint32_t byteMask) override {
    const uint32_t mask = writable_ & byteMask;
    value_ = (value_ & ~mask) | (value & mask);
    if (listener_) listener_(value_);
  }

 private:
  uint32_t value_;
  const uint32_t writable_;
  const Listener listener_;
};

}  // namespace

std::optional<IchLpcModel> IchLpcModelFor(uint16_t deviceId) {
  for (const Part& part : kParts) {
    for (uint16_t id : part.deviceIds) {
      if (id != 0 && id == deviceId) return part.model;
    }
  }
  return std::nullopt;
}

void AttachIchHub(const MachineSpec& machine, DriverHardware& hardware,
                  ChipsetDutyListener listener) {
  const PciDeviceSpec* lpc = FindPciDevice(machine, 0, kLpcDevfn);
  if (lpc == nullptr) return;
  const uint32_t identity = ReadConfig32(*lpc, 0x00);
  if ((identity & 0xFFFF) != kIntelVendorId) return;
  const auto model = IchLpcModelFor(static_cast<uint16_t>(identity >> 16));
  if (!model) return;
  auto block = std::make_shared<IchPowerManagementBlock>(std::move(listener));
  const auto start = [lpc](uint32_t offset) { return ReadConfig32(*lpc, offset); };
  PciConfigSpace& pci = hardware.Pci();
  pci.AttachRegister(0, kLpcDevfn, kPmBase,
                     std::make_shared<MaskedRegister>(
                         start(kPmBase) | kPmBaseIoSpace, kPmBaseWritable,
                         [block](uint32_t value) { block->SetBase(value & kPmBaseWritable); }));
  const uint32_t decodeBit = model->acpiDecodeBit;
  pci.AttachRegister(
      0, kLpcDevfn, kAcpiControl,
      std::make_shared<MaskedRegister>(
          start(kAcpiControl), decodeBit | kSciIrqSelect,
          [block, decodeBit](uint32_t value) { block->SetDecode((value & decodeBit) != 0); }));
  pci.AttachRegister(0, kLpcDevfn, kPmcon,
                     std::make_shared<MaskedRegister>(
                         start(kPmcon), model->pmcon1 | uint32_t{model->pmcon2} << 16));
  pci.AttachRegister(
      0, kLpcDevfn, kStateTiming,
      std::make_shared<MaskedRegister>(start(kStateTiming), model->stopTiming |
                                                                uint32_t{model->cstateConfig} << 8 |
                                                                uint32_t{model->exitTiming} << 16));
  hardware.Ports().AttachDevice(std::move(block));
}

}  // namespace pacetta::sim
