#include "platform/sim/models/thermal_registers.h"

#include <algorithm>
#include <cmath>

#include "platform/sim/models/bit_field.h"

namespace pacetta::sim {
namespace {

constexpr uint64_t kHotNow = Bit(0), kHotLog = Bit(1);
constexpr BitField kReadout{22, 16}, kResolution{30, 27};
constexpr uint64_t kReadingValid = Bit(31);
// Bits 63..32, 26..23 and 15..10 of IA32_THERM_STATUS are reserved.
constexpr uint64_t kStatusReserved = 0xFFFFFFFF'07800000ull | 0xFC00;
// IA32_THERM_INTERRUPT: the interrupt enables in 4..0; the two thresholds with their
// enables in 23..8 where the part has a digital sensor.
constexpr uint64_t kInterruptEnables = 0x1F, kThresholds = 0xFFFF00;

constexpr uint32_t kCoreSelect = 1u << 2, kSensorSelect = 1u << 6;
constexpr uint32_t kThermtripEnable = 1u << 5;
constexpr uint32_t kThermtripSense[2] = {1u << 1, 1u << 3};
constexpr BitField kK8Temperature{23, 14};

}  // namespace

IntelThermalRegisters::IntelThermalRegisters(std::shared_ptr<ProcessorActivity> activity,
                                             bool digitalSensor, double junctionMaxC)
    : activity_(std::move(activity)), digitalSensor_(digitalSensor), junctionMaxC_(junctionMaxC) {}

uint64_t IntelThermalRegisters::Status() {
  const ProcessorActivity::Heat heat = activity_->Temperature();
  uint64_t value = 0;
  if (heat.hot) value |= kHotNow;
  if (heat.hot || heat.hotEvents > hotEventsCleared_) value |= kHotLog;
  if (digitalSensor_) {
    // The readout counts whole degrees below the junction maximum; the sensor reads
    // nothing above it (0) and at most 127 below.
    const long below = std::lround(junctionMaxC_ - heat.celsius);
    value = kReadout.Put(value, static_cast<uint64_t>(std::clamp(below, 0L, 127L)));
    value = kResolution.Put(value, 1) | kReadingValid;
  }
  return value;
}

MsrAccess IntelThermalRegisters::Read(MsrContext&, uint32_t index, uint64_t& value) {
  if (index == kStatus) {
    value = Status();
  } else if (index == kInterrupt) {
    value = interrupt_;
  } else {
    return MsrAccess::kNotHandled;
  }
  return MsrAccess::kDone;
}

MsrAccess IntelThermalRegisters::Write(MsrContext&, uint32_t index, uint64_t value) {
  if (index == kStatus) {
    if ((value & kStatusReserved) != 0) return MsrAccess::kFault;
    // Writing 0 clears the log; writing 1 leaves it as it is.
    if ((value & kHotLog) == 0) hotEventsCleared_ = activity_->Temperature().hotEvents;
    return MsrAccess::kDone;
  }
  if (index == kInterrupt) {
    const uint64_t writable = kInterruptEnables | (digitalSensor_ ? kThresholds : 0);
    if ((value & ~writable) != 0) return MsrAccess::kFault;
    interrupt_ = value;
    return MsrAccess::kDone;
  }
  return MsrAccess::kNotHandled;
}

K8ThermtripRegister::K8ThermtripRegister(std::vector<std::shared_ptr<ProcessorActivity>> cores,
                                         bool revisionF)
    : cores_(std::move(cores)), revisionF_(revisionF) {}

uint32_t K8ThermtripRegister::Read() {
  uint32_t value = selects_ | kThermtripEnable;
  double selected = 0;
  for (size_t core = 0; core < cores_.size() && core < 2; ++core) {
    const double celsius = cores_[core]->Temperature().celsius;
    if (celsius >= kThermtripC) value |= kThermtripSense[core];
    // A single-core part has only core 0 to show.
    if (core == 0 || (selects_ & kCoreSelect) != 0) selected = celsius;
  }
  uint32_t raw = 0;
  if (revisionF_) {
    raw = static_cast<uint32_t>(std::clamp(std::lround((selected + 49.0) * 4), 0L, 1023L));
  } else {
    raw = static_cast<uint32_t>(std::clamp(std::lround(selected + 49.0), 0L, 255L)) << 2;
  }
  return static_cast<uint32_t>(kK8Temperature.Put(value, raw));
}

void K8ThermtripRegister::Write(uint32_t value, uint32_t byteMask) {
  // Only the two selects are software's; the software thermtrip (bit 31) would switch
  // the machine off and is not modelled.
  const uint32_t writable = (kCoreSelect | kSensorSelect) & byteMask;
  selects_ = (selects_ & ~writable) | (value & writable);
}

}  // namespace pacetta::sim
