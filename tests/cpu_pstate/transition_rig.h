#pragma once
// A simulated machine for transitions, and the write sequence read back from the
// requests the program sent: AMD control writes (as driver writes on a 64-bit system, as
// the K7-transition routine on a 32-bit one) and busy delays.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cpu/pstate/transition_environment.h"
#include "platform/sim/driver/msr_bank.h"
#include "tests/cpu_pstate/records.h"

namespace pacetta::testing {

// A K8 whose FIDVID_STATUS shows each accepted FIDVID_CTL write at once. `fidAfter` says
// which FID the processor ends up at for a written one (by default: that one).
class InstantFidVid : public sim::MsrHandler {
 public:
  std::function<uint32_t(uint32_t current, uint32_t written)> fidAfter;

  sim::MsrAccess Read(sim::MsrContext&, uint32_t, uint64_t&) override {
    return sim::MsrAccess::kNotHandled;
  }
  sim::MsrAccess Write(sim::MsrContext& context, uint32_t index, uint64_t value) override {
    if (index != 0xC0010041 || (value & 0x10000) == 0) return sim::MsrAccess::kNotHandled;
    uint64_t status = context.storage.Get(0xC0010042).value_or(0);
    const auto current = static_cast<uint32_t>(status & 0x3F);
    const auto written = static_cast<uint32_t>(value & 0x3F);
    const uint32_t fid = fidAfter ? fidAfter(current, written) : written;
    status = (status & ~(uint64_t{0x3F} << 32 | 0x3F)) | fid | ((value >> 8) & 0x3F) << 32;
    context.storage.Set(0xC0010042, status);
    context.storage.Set(index, value);
    return sim::MsrAccess::kDone;
  }
};

inline std::string Write(uint32_t fid, uint32_t vid, uint32_t stopGrant) {
  return "fid " + std::to_string(fid) + " vid " + std::to_string(vid) + " sg " +
         std::to_string(stopGrant);
}
inline std::string Delay(uint32_t count) {
  return "delay " + std::to_string(count);
}
inline std::string Control(uint32_t low, uint32_t high) {
  return "ctl " + std::to_string(low) + " " + std::to_string(high);
}

// Control writes as Write(...) when they carry InitFidVid (K8), else as Control(...);
// busy delays as Delay(...); other requests are left out.
std::vector<std::string> Trace(const std::vector<SentRequest>& requests);

// One processor's machine with FIDVID_CTL and FIDVID_STATUS (start FID/VID given) present.
struct TransitionRig {
  explicit TransitionRig(uint32_t fid, uint32_t vid, bool system64 = true,
                         std::map<uint32_t, uint64_t> registers = {}, sim::SimFaults faults = {});

  std::vector<std::string> Trace() { return testing::Trace(rig.Requests()); }

  SimRig rig;
  std::shared_ptr<InstantFidVid> processor = std::make_shared<InstantFidVid>();
  PStateSettings settings;
  TransitionEnvironment environment{rig.driver, settings, {7, 3}};
};

}  // namespace pacetta::testing
