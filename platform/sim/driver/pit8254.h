#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

namespace pacetta::sim {

// The 8254 interval timer as the BIOS leaves it: counter 0 in mode 3 (square wave) with
// reload 0, i.e. 65536, clocked at 1 193 182 Hz and counting down by two per clock,
// lobyte/hibyte access. The count
// is derived from the owner's clock, never ticked. Only the counter latch command is
// interpreted: programming the system timer belongs to the operating system.
class Pit8254 {
 public:
  static constexpr uint16_t kCounter0 = 0x40;
  static constexpr uint16_t kControl = 0x43;
  static constexpr uint64_t kInputHz = 1'193'182;

  // `clockNs`: nanoseconds of the simulated machine.
  explicit Pit8254(std::function<uint64_t()> clockNs);

  uint8_t Read(uint16_t port);
  void Write(uint16_t port, uint8_t value);
  // Counter 0 as it reads now (65536 reads as 0).
  uint16_t Count() const;
  // The latch command and the two byte reads, with nothing in between: what a routine
  // with interrupts off sees. Low byte first unless a previous read left the flip-flop
  // at the high byte.
  uint16_t LatchAndRead();

 private:
  uint8_t ReadLocked(uint16_t port);
  void WriteLocked(uint16_t port, uint8_t value);

  std::function<uint64_t()> clockNs_;
  std::mutex mutex_;
  std::optional<uint16_t> latched_;
  bool highByteNext_ = false;  // the read flip-flop of lobyte/hibyte access
};

}  // namespace pacetta::sim
