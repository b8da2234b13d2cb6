// Each control of the Intel and VIA pages reaches exactly its own bits on every processor
// of the simulated machines, and reads back from processor 0 as the part then behaves.
#include <gtest/gtest.h>

#include <functional>

#include "tests/advanced_intel/intel_rig.h"

namespace pacetta::testing {
namespace {

constexpr uint64_t Bit(unsigned n) {
  return uint64_t{1} << n;
}

constexpr uint32_t kMisc = 0x1A0, kTherm2 = 0x19D, kPerfCtl = 0x199, kPmConfig = 0xEE,
                   kMiscPower = 0x1AA;

struct Expect {
  uint32_t msr;
  uint64_t mask;
  uint64_t value;
};

using Change = std::function<void(IntelProcessorValues&)>;

struct Step {
  const char* what;
  Change set;
  std::vector<Expect> bits;  // on every processor
  // How the values read back differ from the ones applied; none: they are the same.
  Change readsBack;
};

struct MachineSteps {
  const char* machine;
  std::vector<Step> steps;
};

const std::vector<MachineSteps>& Table() {
  static const std::vector<MachineSteps> table = {
      {"pentium-m-laptop",
       {{"TM2 on also enables the monitor",
         [](auto& v) {
           v.tm1 = false;
           v.tm2 = true;
         },
         {{kMisc, Bit(3), Bit(3)}, {kTherm2, Bit(16), Bit(16)}},
         nullptr},
        {"TM1 on deselects TM2",
         [](auto& v) {
           v.tm1 = true;
           v.tm2 = false;
         },
         {{kMisc, Bit(3), Bit(3)}, {kTherm2, Bit(16), 0}},
         nullptr},
        {"both on: TM2, written last, is the monitor that acts",
         [](auto& v) {
           v.tm1 = true;
           v.tm2 = true;
         },
         {{kMisc, Bit(3), Bit(3)}, {kTherm2, Bit(16), Bit(16)}},
         [](auto& v) { v.tm1 = false; }},
        {"both off",
         [](auto& v) {
           v.tm1 = false;
           v.tm2 = false;
         },
         {{kMisc, Bit(3), 0}, {kTherm2, Bit(16), 0}},
         nullptr},
        {"no enhanced C-states on the Pentium M",
         [](auto& v) { v.cStates = 0x1F; },
         {{kMisc, Bit(25) | Bit(26) | Bit(31) | Bit(32) | Bit(33), 0}},
         [](auto& v) { v.cStates = 0; }}}},
      {"via-c7",
       {{"TM2 on also enables the monitor",
         [](auto& v) {
           v.tm1 = false;
           v.tm2 = true;
         },
         {{kMisc, Bit(3), Bit(3)}, {kTherm2, Bit(16), Bit(16)}},
         nullptr},
        {"TM1 on deselects TM2",
         [](auto& v) {
           v.tm1 = true;
           v.tm2 = false;
         },
         {{kMisc, Bit(3), Bit(3)}, {kTherm2, Bit(16), 0}},
         nullptr},
        {"off",
         [](auto& v) { v.tm1 = false; },
         {{kMisc, Bit(3), 0}, {kTherm2, Bit(16), 0}},
         nullptr}}},
      {"core-duo-laptop",
       {{"both monitors off",
         [](auto& v) {
           v.tm1 = false;
           v.tm2 = false;
         },
         {{kMisc, Bit(3) | Bit(13), 0}},
         nullptr},
        {"TM2 alone", [](auto& v) { v.tm2 = true; }, {{kMisc, Bit(3) | Bit(13), Bit(13)}}, nullptr},
        {"every enhanced C-state",
         [](auto& v) { v.cStates = 0x1F; },
         {{kMisc, Bit(25) | Bit(26) | Bit(31) | Bit(32) | Bit(33),
           Bit(25) | Bit(26) | Bit(31) | Bit(32) | Bit(33)}},
         nullptr},
        {"C2E alone",
         [](auto& v) { v.cStates = kC2e; },
         {{kMisc, Bit(25) | Bit(26) | Bit(31) | Bit(32) | Bit(33), Bit(26)}},
         nullptr}}},
      {"core2-duo-laptop",
       {{"TM2 alone sets its bit and the shared enable",
         [](auto& v) {
           v.tm1 = false;
           v.tm2 = true;
         },
         {{kMisc, Bit(3) | Bit(13) | Bit(17), Bit(13) | Bit(17)}},
         nullptr},
        {"switching TM2 off keeps the shared enable",
         [](auto& v) { v.tm2 = false; },
         {{kMisc, Bit(3) | Bit(13) | Bit(17), Bit(17)}},
         nullptr},
        {"TM1 sync and extended throttling",
         [](auto& v) {
           v.tm1 = true;
           v.syncTm1 = true;
           v.extendedThrottling = true;
         },
         {{kMisc, Bit(3) | Bit(17), Bit(3) | Bit(17)},
          {kMiscPower, Bit(21) | Bit(20), Bit(21) | Bit(20)}},
         nullptr},
        {"IDA disengaged sets bit 32",
         [](auto& v) { v.idaEngaged = false; },
         {{kPerfCtl, Bit(32), Bit(32)}},
         nullptr},
        {"IDA engaged clears it",
         [](auto& v) { v.idaEngaged = true; },
         {{kPerfCtl, Bit(32), 0}},
         nullptr},
        {"DFFS off", [](auto& v) { v.dffs = false; }, {{kPmConfig, Bit(28), 0}}, nullptr},
        {"C1E and hard C4E",
         [](auto& v) { v.cStates = kC1e | kHardC4e; },
         {{kMisc, Bit(25) | Bit(26) | Bit(31) | Bit(32) | Bit(33), Bit(25) | Bit(33)}},
         nullptr}}},
      {"pentium4-ht",
       {{"TM1 off", [](auto& v) { v.tm1 = false; }, {{kMisc, Bit(3), 0}}, nullptr},
        {"TM1 on", [](auto& v) { v.tm1 = true; }, {{kMisc, Bit(3), Bit(3)}}, nullptr},
        // Signature F34h: neither TM2 nor C1E exists, so their bits are never written.
        {"no TM2 or C1E before signature F40h",
         [](auto& v) {
           v.tm2 = true;
           v.cStates = kC1e;
         },
         {{kMisc, Bit(13) | Bit(25), 0}},
         [](auto& v) {
           v.tm2 = false;
           v.cStates = 0;
         }}}},
  };
  return table;
}

TEST(IntelRegisterEffects, EachControlReachesItsBitsOnEveryProcessor) {
  for (const MachineSteps& machine : Table()) {
    IntelRig rig(machine.machine);
    const size_t processors = rig.Records().size();
    for (const Step& step : machine.steps) {
      const std::string where = std::string(machine.machine) + ": " + step.what;
      auto values = rig.Intel().ReadHardware();
      ASSERT_TRUE(values) << where;
      step.set(*values);
      rig.Intel().Apply(*values, {}, rig.Intel().StoredRestartValues(), false);
      for (unsigned k = 0; k < processors; ++k) {
        for (const Expect& expect : step.bits) {
          const auto value = rig.Msr(k, expect.msr);
          ASSERT_TRUE(value) << where;
          EXPECT_EQ(*value & expect.mask, expect.value)
              << where << ", processor " << k << ", MSR " << std::hex << expect.msr;
        }
      }
      IntelProcessorValues expected = *values;
      if (step.readsBack) step.readsBack(expected);
      EXPECT_TRUE(rig.Intel().ReadHardware() == expected) << where;
    }
  }
}

}  // namespace
}  // namespace pacetta::testing
