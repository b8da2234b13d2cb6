#include "platform/sim/models/k8_power_management.h"

#include <map>

#include "platform/sim/machine/k8_northbridge.h"
#include "platform/sim/machine/pci_config.h"
#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {
namespace {

constexpr uint32_t kFirstNodeDevice = 0x18;
constexpr uint32_t kMiscControlFunction = 3;
constexpr uint32_t kPowerMode0 = 0x80;
constexpr uint32_t kPowerMode1 = 0x84;
constexpr uint32_t kClockTimingLow = 0xD4;
constexpr uint32_t kClockTimingHigh = 0xD8;
// ACPI state 7, C1 (halt), is byte 3 of the second mode register.
constexpr unsigned kHaltByteShift = 24;

struct Node {
  bool revisionEOrLater = false;
  std::vector<std::shared_ptr<K8Model>> cores;
};

}  // namespace

K8NorthbridgeRegister::K8NorthbridgeRegister(uint32_t start, uint32_t writable, Listener listener)
    : value_(start), writable_(writable), listener_(std::move(listener)) {}

void K8NorthbridgeRegister::Write(uint32_t value, uint32_t byteMask) {
  const uint32_t mask = writable_ & byteMask;
  const uint32_t next = (value_ & ~mask) | (value & mask);
  if (next == value_) return;
  value_ = next;
  if (listener_) listener_(value_);
}

uint32_t K8PowerModeWritable(bool revisionEOrLater) {
  return revisionEOrLater ? 0x7F7F7F7F : 0x77777777;
}

uint32_t K8ClockTimingLowWritable(bool revisionEOrLater) {
  return revisionEOrLater ? 0xFFFFFF07 : 0xFFFF0707;
}

uint32_t K8ClockTimingHighWritable(bool revisionEOrLater) {
  return revisionEOrLater ? 0x73FFFFFF : 0x700FFFFF;
}

uint32_t K8HaltedClockDivisor(uint32_t haltModeByte) {
  const uint32_t select = haltModeByte >> 4 & 7;
  if ((haltModeByte & 1) == 0 || select == 7) return 1;
  return 8u << select;
}

void AttachK8PowerManagement(const MachineSpec& machine, DriverHardware& hardware,
                             std::span<const std::shared_ptr<FamilyModel>> models) {
  std::map<uint32_t, Node> nodes;
  for (size_t k = 0; k < machine.processors.size(); ++k) {
    const ProcessorSpec& processor = machine.processors[k];
    const ProcessorTraits traits = ClassifyProcessor(processor.leaves);
    if (traits.family != ModelFamily::kAmdK8) continue;
    Node& node = nodes[K8NodeOf(processor)];
    node.revisionEOrLater = traits.k8RevE || traits.k8Npt;
    auto model = k < models.size() ? std::dynamic_pointer_cast<K8Model>(models[k]) : nullptr;
    if (model) node.cores.push_back(std::move(model));
  }
  for (auto& [number, node] : nodes) {
    const uint32_t devfn = (kFirstNodeDevice + number) * 8 + kMiscControlFunction;
    const PciDeviceSpec* function = FindPciDevice(machine, 0, devfn);
    if (function == nullptr) continue;
    const auto start = [function](uint32_t offset) { return ReadConfig32(*function, offset); };
    const bool later = node.revisionEOrLater;
    const auto modes = K8PowerModeWritable(later);
    const auto haltDivisor = [cores = node.cores](uint32_t value) {
      const uint32_t divisor = K8HaltedClockDivisor(value >> kHaltByteShift & 0xFF);
      for (const auto& core : cores) core->SetHaltedClockDivisor(divisor);
    };
    auto mode1 = std::make_shared<K8NorthbridgeRegister>(start(kPowerMode1), modes, haltDivisor);
    haltDivisor(mode1->Read());
    PciConfigSpace& pci = hardware.Pci();
    pci.AttachRegister(0, devfn, kPowerMode0,
                       std::make_shared<K8NorthbridgeRegister>(start(kPowerMode0), modes));
    pci.AttachRegister(0, devfn, kPowerMode1, std::move(mode1));
    pci.AttachRegister(0, devfn, kClockTimingLow,
                       std::make_shared<K8NorthbridgeRegister>(start(kClockTimingLow),
                                                               K8ClockTimingLowWritable(later)));
    pci.AttachRegister(0, devfn, kClockTimingHigh,
                       std::make_shared<K8NorthbridgeRegister>(start(kClockTimingHigh),
                                                               K8ClockTimingHighWritable(later)));
  }
}

}  // namespace pacetta::sim
