#include "platform/sim/driver/pit8254.h"

namespace pacetta::sim {
namespace {

constexpr uint64_t kNsPerSecond = 1'000'000'000;
constexpr uint64_t kReload = 65536;

// Input clock periods since the clock's origin, without overflowing for centuries.
uint64_t TicksAt(uint64_t ns) {
  return ns / kNsPerSecond * Pit8254::kInputHz +
         ns % kNsPerSecond * Pit8254::kInputHz / kNsPerSecond;
}

}  // namespace

Pit8254::Pit8254(std::function<uint64_t()> clockNs) : clockNs_(std::move(clockNs)) {}

uint16_t Pit8254::Count() const {
  // The BIOS leaves counter 0 in mode 3 (square wave) with the count 0 = 65536: the
  // count falls by two each input clock and reloads at 0, twice per output period
  // (8254 datasheet, "Mode 3"). A reader therefore sees it run at twice the input rate.
  return static_cast<uint16_t>((kReload - (2 * TicksAt(clockNs_())) % kReload) % kReload);
}

uint8_t Pit8254::Read(uint16_t port) {
  std::lock_guard lock(mutex_);
  return ReadLocked(port);
}

void Pit8254::Write(uint16_t port, uint8_t value) {
  std::lock_guard lock(mutex_);
  WriteLocked(port, value);
}

uint16_t Pit8254::LatchAndRead() {
  std::lock_guard lock(mutex_);
  WriteLocked(kControl, 0x00);
  const uint8_t low = ReadLocked(kCounter0);
  const uint8_t high = ReadLocked(kCounter0);
  return static_cast<uint16_t>(high << 8 | low);
}

uint8_t Pit8254::ReadLocked(uint16_t port) {
  // Counters 1 and 2 and the control port are not modelled: the bus floats.
  if (port != kCounter0) return 0xFF;
  const uint16_t count = latched_.value_or(Count());
  const bool high = highByteNext_;
  highByteNext_ = !highByteNext_;
  // A latched count is held until both of its bytes have been read.
  if (high) latched_.reset();
  return static_cast<uint8_t>(high ? count >> 8 : count & 0xFF);
}

void Pit8254::WriteLocked(uint16_t port, uint8_t value) {
  if (port != kControl) return;
  // Counter latch command: select counter 0 (bits 7..6) with access bits 5..4 = 00. A
  // second latch before the first count was read is ignored (datasheet, "Counter
  // Latch Command").
  if (value >> 4 != 0) return;
  if (!latched_) latched_ = Count();
}

}  // namespace pacetta::sim
