// The running program writes the advanced page's applied values again after a change of
// power source and after a resume, where the firmware may have put its own back; with
// nothing applied it leaves the firmware's values alone.
#include <gtest/gtest.h>

#include <future>

#include "cpu/advanced/k7/clock_control.h"
#include "cpu/advanced/k8/k8_power_registers.h"
#include "hw/pinning.h"
#include "tests/app/program_rig.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

// One family's register: the stored value that puts a mark in it, the mark's bits, and
// what the firmware puts there on its own.
struct Family {
  const char* machine;
  const char* key;
  uint32_t stored;
  uint32_t mark;
  uint32_t storedMark;  // the mark's bits once the stored value is written
  uint32_t firmware;
  std::function<uint32_t(ProgramRig&)> read;
  std::function<void(ProgramRig&, uint32_t)> write;
};

uint32_t ReadClockControl(ProgramRig& rig) {
  PinToProcessor(rig.Pc().View().processors, 0);
  MsrRequest request;
  rig.App().Driver().ReadMsrValue(request, k7::kClockControlMsr);
  UnpinThread(rig.Pc().View().processors);
  return request.low;
}

void WriteClockControl(ProgramRig& rig, uint32_t low) {
  PinToProcessor(rig.Pc().View().processors, 0);
  MsrRequest request;
  rig.App().Driver().ReadMsrValue(request, k7::kClockControlMsr);
  rig.App().Driver().WriteMsrValue(request, k7::kClockControlMsr, low, request.high);
  UnpinThread(rig.Pc().View().processors);
}

const Family kFamilies[] = {
    // The halt state's mode byte: CPU low power, divide by 32.
    {"k8-x2-laptop", "AMDK8.PMM1", 0x21000000, 0xFF000000, 0x21000000, 0x01000000,
     [](ProgramRig& rig) { return rig.App().State().northbridge->ReadDword(0, k8::kPowerMode1); },
     [](ProgramRig& rig, uint32_t value) {
       rig.App().State().northbridge->WriteDword(0, k8::kPowerMode1, value);
     }},
    // Halt divisor 5 (divide by 256): bits 3:2 = 01b and bit 6.
    {"k7-mobile-laptop", "AMDK7.HaltDivisor", 5, 0x4C, 0x44, 0x04, ReadClockControl,
     WriteClockControl},
};

// Runs the loop's posted work on this thread until `action`, on another, is done.
void ServeWhile(ProgramRig& rig, const std::function<void()>& action) {
  auto done = std::async(std::launch::async, action);
  while (done.wait_for(5ms) != std::future_status::ready) rig.Window().ProcessPending();
  rig.Window().ProcessPending();
}

TEST(AdvancedReapply, PowerChangesAndResumesWriteTheAppliedValuesAndOnlyThose) {
  for (const Family& family : kFamilies) {
    for (const bool remember : {true, false}) {
      SCOPED_TRACE(std::string(family.machine) + (remember ? " remembered" : " not remembered"));
      ProgramRig rig(family.machine);
      rig.StampProcessor();
      rig.Store("RememberAdvanced", remember ? 1 : 0);
      rig.Store(family.key, family.stored);
      const uint32_t powerOn = family.read(rig) & family.mark;
      ASSERT_TRUE(rig.Start());
      const uint32_t started = family.read(rig) & family.mark;
      EXPECT_EQ(started, remember ? family.storedMark : powerOn);
      // The firmware puts its own value there; a change of source and a resume each follow:
      // the stored value returns, or, with none applied, the firmware's stays.
      const uint32_t expected = remember ? started : family.firmware;
      const auto firmwareReturns = [&] {
        family.write(rig, (family.read(rig) & ~family.mark) | family.firmware);
      };
      firmwareReturns();
      ServeWhile(rig, [&] {
        rig.Pc().UnplugAc();
        rig.Pc().PowerSupply().WaitDelivered(30s);
      });
      EXPECT_EQ(family.read(rig) & family.mark, expected) << "after the change of source";
      firmwareReturns();
      ServeWhile(rig, [&] {
        rig.Pc().Suspend();
        rig.Pc().PowerSupply().WaitDelivered(30s);
        rig.Pc().Resume();
        rig.Pc().PowerSupply().WaitDelivered(30s);
      });
      EXPECT_EQ(family.read(rig) & family.mark, expected) << "after the resume";
      EXPECT_TRUE(rig.Close());
      EXPECT_TRUE(rig.Pc().Violations().empty());
    }
  }
}

}  // namespace
}  // namespace pacetta::testing
