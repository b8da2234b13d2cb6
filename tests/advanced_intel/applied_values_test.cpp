// The program writes the Intel settings only with values that were applied (the stored
// ones at start with "RememberAdvanced", the page's on "Apply", those again after a
// power-source change or a resume), and Enhanced SpeedStep at every start and resume.
#include <gtest/gtest.h>

#include <future>

#include "app/advanced/intel_advanced.h"
#include "hw/pinning.h"
#include "tests/app/program_rig.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

constexpr uint32_t kMisc = 0x1A0, kTherm2 = 0x19D;
constexpr uint64_t kTm2Select = 1u << 16, kEist = 1u << 16, kEistLock = 1u << 20;

uint64_t ReadMsr(ProgramRig& rig, unsigned k, uint32_t index) {
  PinToProcessor(rig.Pc().View().processors, k);
  MsrRequest request;
  rig.App().Driver().ReadMsrValue(request, index);
  UnpinThread(rig.Pc().View().processors);
  return uint64_t{request.high} << 32 | request.low;
}

void WriteMsr(ProgramRig& rig, unsigned k, uint32_t index, uint64_t value) {
  PinToProcessor(rig.Pc().View().processors, k);
  MsrRequest request;
  rig.App().Driver().WriteMsrValue(request, index, static_cast<uint32_t>(value),
                                   static_cast<uint32_t>(value >> 32));
  UnpinThread(rig.Pc().View().processors);
}

uint32_t Target(uint64_t therm2) {
  return static_cast<uint32_t>(therm2 & 0xFFFF);
}

// Runs the loop's posted work on this thread until `action`, on another, is done.
void ServeWhile(ProgramRig& rig, const std::function<void()>& action) {
  auto done = std::async(std::launch::async, action);
  while (done.wait_for(5ms) != std::future_status::ready) rig.Window().ProcessPending();
  rig.Window().ProcessPending();
}

TEST(IntelAppliedValues, OnlyStoredTargetsOfThisProcessorOrAppliedValuesReachTheHardware) {
  struct Case {
    const char* what;
    bool remember;
    bool foreignFid;  // the stored target FID is above this processor's range
  };
  for (const Case& c : {Case{"not remembered", false, false}, Case{"remembered", true, false},
                        Case{"remembered, another processor's target", true, true}}) {
    SCOPED_TRACE(c.what);
    ProgramRig rig("pentium-m-laptop");
    const CpuInfo& cpu = rig.Processor0();
    const uint32_t fid = c.foreignFid ? static_cast<uint32_t>(cpu.maxFid) + 4
                                      : static_cast<uint32_t>(cpu.minFid) + 2;  // 7 is no step
    const uint32_t vid = static_cast<uint32_t>(cpu.minVid) + 1;
    rig.StampProcessor();
    rig.Store("RememberAdvanced", c.remember ? 1 : 0);
    rig.Store("IntelPMP4.TM", 2);  // TM2
    rig.Store("IntelPMP4.TM2Fid", fid);
    rig.Store("IntelPMP4.TM2Vid", vid);
    // The firmware of this laptop selects TM1 and its own target.
    WriteMsr(rig, 0, kTherm2, ReadMsr(rig, 0, kTherm2) & ~kTm2Select);
    const uint32_t firmwareTarget = Target(ReadMsr(rig, 0, kTherm2));
    ASSERT_TRUE(rig.Start());
    auto* intel = dynamic_cast<IntelAdvanced*>(rig.Program().Advanced());
    ASSERT_NE(intel, nullptr);
    ASSERT_TRUE(intel->Facts().targetEditable);

    const uint64_t therm2 = ReadMsr(rig, 0, kTherm2);
    EXPECT_EQ((therm2 & kTm2Select) != 0, c.remember);
    EXPECT_EQ(Target(therm2), c.remember && !c.foreignFid ? (fid << 8 | vid) : firmwareTarget);

    // The firmware selects TM1 again (a resume); the applied values return, and nothing is
    // written where none were applied.
    WriteMsr(rig, 0, kTherm2, ReadMsr(rig, 0, kTherm2) & ~kTm2Select);
    rig.Program().Advanced()->Reapply();
    EXPECT_EQ((ReadMsr(rig, 0, kTherm2) & kTm2Select) != 0, c.remember);

    // "Apply": TM1 with the highest target; it becomes the applied value and is stored.
    IntelProcessorValues values = intel->ReadHardware().value();
    values.tm1 = true;
    values.tm2 = false;
    values.targetFidIndex = static_cast<int32_t>(intel->Facts().targetMultipliers.size()) - 1;
    values.targetVidIndex = 0;
    IntelRestartValues restart = intel->StoredRestartValues();
    EXPECT_FALSE(intel->Apply(values, {}, restart, true));
    EXPECT_EQ(Target(ReadMsr(rig, 1 % rig.App().Processors().size(), kTherm2)),
              static_cast<uint32_t>(cpu.maxFid) << 8 | static_cast<uint32_t>(cpu.minVid));
    const IntelSettings& stored = rig.Program().Settings().family.intel;
    EXPECT_EQ(stored.thermalMonitor, 1);
    EXPECT_EQ(stored.tm2Fid, cpu.maxFid);
    EXPECT_TRUE(intel->ReadHardware() == values);
    WriteMsr(rig, 0, kTherm2, ReadMsr(rig, 0, kTherm2) | kTm2Select);
    rig.Program().Advanced()->Reapply();
    EXPECT_EQ(ReadMsr(rig, 0, kTherm2) & kTm2Select, 0u);

    // The stabilisation time is the value the AMD pages call the VID delay; changing it,
    // or Enhanced SpeedStep, takes a restart.
    restart.fidVidDelayUs += 10;
    EXPECT_TRUE(intel->Apply(values, {}, restart, true));
    EXPECT_EQ(rig.Program().Settings().family.k7k8.vidDelayUs, restart.fidVidDelayUs);
    restart.eist = !restart.eist;
    EXPECT_TRUE(intel->Apply(values, {}, restart, true));
    EXPECT_TRUE(rig.Close());
  }
}

TEST(IntelAppliedValues, SpeedStepFollowsTheStoredSettingAtStartAndResumeUnlessLocked) {
  struct Case {
    const char* machine;
    bool locked;  // the firmware set the select lock with the enable bit on
  };
  for (const Case& c :
       {Case{"core2-duo-laptop", false}, Case{"core2-duo-laptop", true}, Case{"via-c7", false}}) {
    SCOPED_TRACE(std::string(c.machine) + (c.locked ? " locked" : ""));
    ProgramRig rig(c.machine);
    const size_t processors = rig.App().Processors().size();
    rig.StampProcessor();
    rig.Store("IntelPMP4.EIST", 0);
    for (unsigned k = 0; k < processors; ++k) {
      const uint64_t misc = ReadMsr(rig, k, kMisc) | kEist;
      WriteMsr(rig, k, kMisc, c.locked ? misc | kEistLock : misc);
    }
    ASSERT_TRUE(rig.Start());
    const auto speedStepOn = [&](unsigned k) { return (ReadMsr(rig, k, kMisc) & kEist) != 0; };
    for (unsigned k = 0; k < processors; ++k) EXPECT_EQ(speedStepOn(k), c.locked) << k;
    // The setting follows the processor: a locked part keeps SpeedStep on.
    EXPECT_EQ(rig.Program().Settings().family.intel.eist, c.locked ? 1 : 0);
    auto* intel = dynamic_cast<IntelAdvanced*>(rig.Program().Advanced());
    ASSERT_NE(intel, nullptr);
    EXPECT_EQ(intel->Facts().eistBox, !c.locked);

    // The firmware switches SpeedStep on over a suspend; the resume switches it off again.
    if (!c.locked) {
      for (unsigned k = 0; k < processors; ++k)
        WriteMsr(rig, k, kMisc, ReadMsr(rig, k, kMisc) | kEist);
      ServeWhile(rig, [&] {
        rig.Pc().Suspend();
        rig.Pc().PowerSupply().WaitDelivered(30s);
        rig.Pc().Resume();
        rig.Pc().PowerSupply().WaitDelivered(30s);
      });
      for (unsigned k = 0; k < processors; ++k) EXPECT_FALSE(speedStepOn(k)) << "resumed " << k;
    }
    EXPECT_TRUE(rig.Close());
  }
}

}  // namespace
}  // namespace pacetta::testing
