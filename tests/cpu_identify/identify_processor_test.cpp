#include "cpu/identify/identify_processor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cpu_identify/test_doubles.h"

namespace pacetta {
namespace {

using testing::VendorLeaf;

class RecordingCompletion : public IdentificationCompletion {
 public:
  explicit RecordingCompletion(testing::FakeProcessors& processors) : processors_(processors) {}
  void ReadPerformanceStates(CpuInfo& info) override {
    steps.push_back("states " + std::to_string(info.isCore2));
    // Reading states may leave the thread elsewhere.
    processors_.SetThreadAffinity(1);
  }
  void PrepareProcessor(CpuInfo&) override {
    steps.push_back("prepare on " + std::to_string(processors_.CurrentProcessor()));
  }
  std::vector<std::string> steps;

 private:
  testing::FakeProcessors& processors_;
};

class IdentifyProcessorTest : public ::testing::Test {
 protected:
  IdentifyContext Context() { return {hardware.processors(), hardware.cpu(), hardware.driver()}; }
  testing::DriverWithRegisters hardware;
};

TEST_F(IdentifyProcessorTest, IdentifiesAMobileCore2AndStaysPinned) {
  testing::FakeCpu& cpu = hardware.cpu();
  cpu.Set(0, VendorLeaf("GenuineIntel", 10));
  cpu.Set(1, {0x6FA, 0x00020800, 0xE3BD, 0xBFEBFBFF});
  cpu.Set(2, {0x05B0B101u, 0x005657F0u, 0, 0x2CB43049u});
  cpu.Set(6, {0x3, 0x2, 0x1, 0});
  cpu.Set(0x80000000u, {0x80000008u, 0, 0, 0});
  hardware.SetRegister(0xCD, 0x1);  // 133 MHz bus: mobile

  CpuInfo info;
  info.index = 3;
  IdentifyContext context = Context();
  IdentifyProcessor(info, context);

  EXPECT_EQ(hardware.processors().masks.back(), uint64_t{1} << 3);
  EXPECT_TRUE(info.isCore2 && info.hasDffs && info.hasIda && info.hasDigitalThermalSensor);
  EXPECT_EQ(info.switches.intelCore2CpuType, 1);
  EXPECT_EQ(info.l2.sizeKb, 4096u);
  EXPECT_EQ(info.standardLeaves[6].eax, 0x3u);
}

TEST_F(IdentifyProcessorTest, CompletionReadsStatesThenPreparesOnTheRecordsProcessor) {
  hardware.cpu().Set(0, VendorLeaf("GenuineIntel", 1));
  hardware.cpu().Set(1, {0x6FA, 0, 0, 0});
  RecordingCompletion completion(hardware.processors());
  CpuInfo info;
  info.index = 2;
  info.switches.intelCore2CpuType = 0;
  IdentifyContext context = Context();
  context.completion = &completion;
  IdentifyProcessor(info, context);
  EXPECT_EQ(completion.steps, (std::vector<std::string>{"states 1", "prepare on 2"}));
  EXPECT_EQ(hardware.processors().CurrentProcessor(), 2u);
}

TEST_F(IdentifyProcessorTest, UnknownVendorKeepsDescriptorCachesTheAmdLeavesLeaveOut) {
  testing::FakeCpu& cpu = hardware.cpu();
  cpu.Set(0, VendorLeaf("  Shanghai  ", 4));
  cpu.Set(1, {0x6F2, 0, 0, 0});
  cpu.Set(2, {0x00002C01u, 0, 0, 0x00000030u});  // L1 data and instruction, 32 KB each
  cpu.Set(0x80000000u, {0x80000008u, 0, 0, 0});
  cpu.Set(0x80000006u, {0, 0, 0x04008140u, 0});  // L2 1 MB, 16-way, in AMD's layout
  CpuInfo info;
  IdentifyContext context = Context();
  IdentifyProcessor(info, context);
  EXPECT_EQ(info.l1Data.sizeKb, 32u);
  EXPECT_EQ(info.l1Instruction.sizeKb, 32u);
  EXPECT_EQ(info.l2.sizeKb, 1024u);
  EXPECT_EQ(info.l2.associativity, 16u);
  EXPECT_FALSE(info.isIntelSupported || info.isAmdPowerNow);
}

}  // namespace
}  // namespace pacetta
