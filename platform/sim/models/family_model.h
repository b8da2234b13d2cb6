#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/driver/msr_bank.h"
#include "platform/sim/models/power_on_data.h"
#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {

// Nanoseconds of the simulated machine, from its owner.
using ClockNs = std::function<uint64_t()>;

// What the processor's hardware is doing now, read without going through its registers.
struct ModelState {
  ModelFamily family = ModelFamily::kNone;
  OperatingPoint current;                // the FID and VID the core runs at
  bool transitionPending = false;        // a requested change has not completed yet
  std::optional<OperatingPoint> target;  // where a pending change goes
  uint64_t transitionEndNs = 0;          // when a pending change completes
  bool targetSuperLfm = false;           // Core 2: the pending change runs on half the bus
  unsigned dutyEighths = 8;              // clock modulation: 8 = the clock runs all the time
  bool superLfm = false;                 // Core 2: running on half the bus clock
  // Intel automatic thermal control (IA32_MISC_ENABLE bit 3): a part over its limit
  // throttles its clock.
  bool thermalMonitor = false;
  // Today's parts: the clock follows the load between this ratio (idle) and
  // `current.fid` (fully busy), as the kernel's policy allows; 0 = the clock is
  // `current.fid` whatever the load.
  uint32_t loadFloorFid = 0;
  // A halted core's clock is its running clock divided by this (K7: CLK_CTL's halt
  // divisor; K8: the northbridge's halt mode byte); 1 = the clock keeps running in halt.
  uint32_t haltedClockDivisor = 1;
  bool operator==(const ModelState&) const = default;
};

// Told of every change of a model's state, with the time it was made; runs under the
// model's lock, so it must not call back into the model or its register bank.
using StateListener = std::function<void(uint64_t nowNs, const ModelState& state)>;

// The share of the time (0..1) the processor is busy at a moment of the machine's clock.
using BusyShare = std::function<double(uint64_t ns)>;

// A family's performance-state registers on one processor. Register handlers run under
// the bank's lock; the model's own lock also guards its state against `State()`, which
// tests and later models call from any thread. Time is the owner's clock: a transition
// completes when the clock has passed its end, checked at every access.
class FamilyModel : public MsrHandler {
 public:
  explicit FamilyModel(ClockNs clock) : clock_(std::move(clock)) {}

  MsrAccess Read(MsrContext& context, uint32_t index, uint64_t& value) final;
  MsrAccess Write(MsrContext& context, uint32_t index, uint64_t value) final;

  ModelState State();
  // The listener hears the state as it is now, then every change. Call before the
  // machine runs.
  void SetStateListener(StateListener listener);
  // Every register this model answers: the bank's storage never sees them.
  virtual std::vector<uint32_t> AnsweredRegisters() const = 0;
  // The machine's load, for a part that picks its own state from it. Call before the
  // machine runs.
  virtual void FollowLoad(BusyShare) {}
  // An identification leaf whose answer the model's state makes; none for the stored one.
  std::optional<platform::CpuidResult> Leaf(uint32_t leaf);

 protected:
  virtual MsrAccess ReadLocked(uint32_t index, uint64_t& value) = 0;
  virtual MsrAccess WriteLocked(MsrContext& context, uint32_t index, uint64_t value) = 0;
  // Completes what has finished by `nowNs`.
  virtual void Settle(uint64_t nowNs) = 0;
  virtual ModelState StateLocked() const = 0;
  virtual std::optional<platform::CpuidResult> LeafLocked(uint32_t) { return std::nullopt; }

  uint64_t Now() const { return clock_ ? clock_() : 0; }
  // Changes the state from outside the model's registers (a northbridge register that
  // acts on the core), under the model's lock, and tells the listener.
  void ChangeState(const std::function<void()>& change);
  static void Refuse(MsrContext& context, uint32_t index, uint64_t value, std::string reason);

 private:
  // Tells the listener when the state differs from what it last heard.
  void PublishLocked(uint64_t nowNs);

  const ClockNs clock_;
  std::mutex mutex_;
  StateListener listener_;
  ModelState published_;
};

// The power-on value of a register: the machine's start value when it gives one.
uint64_t StartValue(const std::map<uint32_t, uint64_t>& msrStart, uint32_t index,
                    uint64_t otherwise);

}  // namespace pacetta::sim
