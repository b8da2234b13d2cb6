#include <gtest/gtest.h>

#include <span>

#include "platform/legacy_power_policy.h"
#include "platform/plan_guid.h"

namespace pacetta::platform {
namespace {

uint32_t WordAt(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// The blocks must sit where the system's structures have their fields, or a scheme
// written by the program carries its time-outs in the wrong places.
TEST(LegacyPolicyLayout, FieldsSitAtTheSystemsOffsetsAndSurviveTheRoundTrip) {
  PowerPolicy policy;
  policy.idleDc = {3, 7, 9};
  policy.idleTimeoutDc = 0x11;
  policy.throttlePolicyDc = 0x22;
  policy.videoTimeoutAc = 0x33;
  policy.forcedThrottleDc = 0x44;
  policy.machineRevision = 0x55;
  policy.dozeS4TimeoutDc = 0x66;
  policy.minThrottleDc = 0x77;
  policy.overThrottledDc = {2, 0xC0000004, 0x88};
  const PowerPolicyBlock block = Pack(policy);
  struct Field {
    size_t at;
    uint32_t value;
    bool byte;
  };
  const Field fields[] = {
      {16, 3, false},    {20, 7, false},   {32, 0x11, false},        {39, 0x22, true},
      {56, 0x33, false}, {77, 0x44, true}, {80, 0x55, false},        {112, 0x66, false},
      {117, 0x77, true}, {132, 2, false},  {136, 0xC0000004, false}, {140, 0x88, false},
  };
  for (const Field& f : fields) {
    EXPECT_EQ(f.byte ? block[f.at] : WordAt(block, f.at), f.value) << "offset " << f.at;
  }
  EXPECT_EQ(Unpack(block), policy);

  ProcessorPolicy processor;
  processor.ac.dynamicThrottle = 3;
  processor.ac.steps[0].demotePercent = 40;
  processor.ac.steps[0].allowPromotion = true;
  processor.dc.revision = 9;
  processor.dc.disableCStates = true;
  processor.dc.steps[2].timeCheck = 100000;
  const ProcessorPolicyBlock bytes = Pack(processor);
  EXPECT_EQ(bytes[8], 3);
  EXPECT_EQ(bytes[32], 40);
  EXPECT_EQ(WordAt(bytes, 36), 2u);  // allow promotion is the second bit
  EXPECT_EQ(WordAt(bytes, 80), 9u);
  EXPECT_EQ(WordAt(bytes, 88), 1u);
  EXPECT_EQ(WordAt(bytes, 136), 100000u);
  EXPECT_EQ(Unpack(bytes), processor);
}

TEST(PlanGuid, TextFormUsesTheSystemsMemoryOrderAndRejectsAnythingElse) {
  const auto guid = ParsePlanGuid("8C5E7FDA-e8bf-4a96-9a85-a6e23a8c635c");
  ASSERT_TRUE(guid);
  const PlanGuid expected = {0xda, 0x7f, 0x5e, 0x8c, 0xbf, 0xe8, 0x96, 0x4a,
                             0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c};
  EXPECT_EQ(*guid, expected);
  EXPECT_EQ(FormatPlanGuid(*guid), "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c");
  for (const char* bad :
       {"", "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635", "8c5e7fdae8bf-4a96-9a85-a6e23a8c635c0",
        "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635g", "{8c5e7fda-e8bf-4a96-9a85-a6e23a8c63}"}) {
    EXPECT_FALSE(ParsePlanGuid(bad)) << bad;
  }
}

}  // namespace
}  // namespace pacetta::platform
