#include <gtest/gtest.h>

#include "driver_rig.h"

namespace pacetta::sim::testing {
namespace {

TEST(SimMsr, EachProcessorAnswersFromItsOwnBank) {
  DriverRig rig(TwoProcessorMachine());
  auto device = rig.InstallAndOpen();
  MsrRequest request;
  ASSERT_TRUE(ReadMsr(*device, 0xC0010042, request));
  EXPECT_EQ(request.high, 1u);
  EXPECT_EQ(request.low, 0xA0Cu);
  rig.processor = 1;
  ASSERT_TRUE(ReadMsr(*device, 0xC0010042, request));
  EXPECT_EQ(request.Value(), 0x0000000200000B0Eull);

  // A write lands on the calling thread's processor only.
  ASSERT_TRUE(WriteMsr(*device, 0x10, 0x123456789ull));
  ASSERT_TRUE(ReadMsr(*device, 0x10, request));
  EXPECT_EQ(request.Value(), 0x123456789ull);
  rig.processor = 0;
  ASSERT_TRUE(ReadMsr(*device, 0x10, request));
  EXPECT_EQ(request.Value(), 1000u);
}

TEST(SimMsr, AbsentRegistersAndProcessorsFailWithAllOnes) {
  DriverRig rig(TwoProcessorMachine());
  auto device = rig.InstallAndOpen();
  MsrRequest request{0x198, 0, 0};
  ASSERT_FALSE(device->Control(driver::kReadMsr, &request, 12, &request, 12, nullptr));
  EXPECT_TRUE(request.IsAllOnes());
  EXPECT_FALSE(WriteMsr(*device, 0x198, 1));
  rig.processor = 2;  // the machine has two
  EXPECT_FALSE(ReadMsr(*device, 0x10, request));
  EXPECT_TRUE(request.IsAllOnes());
  EXPECT_FALSE(WriteMsr(*device, 0x10, 1));
}

TEST(SimMsr, InjectedRegisterFailures) {
  SimFaults faults;
  faults.failingMsrReads = {0x10};
  faults.failingMsrWrites = {0xC0010042};
  DriverRig rig(TwoProcessorMachine(), faults);
  auto device = rig.InstallAndOpen();
  MsrRequest request;
  EXPECT_FALSE(ReadMsr(*device, 0x10, request));
  EXPECT_TRUE(request.IsAllOnes());
  EXPECT_TRUE(WriteMsr(*device, 0x10, 7));  // writes of it still work
  EXPECT_FALSE(WriteMsr(*device, 0xC0010042, 7));
  ASSERT_TRUE(ReadMsr(*device, 0xC0010042, request));
  EXPECT_EQ(request.low, 0xA0Cu);
}

// A family model in miniature: a read-only status register whose writes are violations,
// and a control register that it keeps in the bank's storage.
class StatusModel : public MsrHandler {
 public:
  MsrAccess Read(MsrContext& context, uint32_t index, uint64_t& value) override {
    if (index != 0x1A0) return MsrAccess::kNotHandled;
    value = context.storage.Get(0x1A1).value_or(0) | 0x8000;
    return MsrAccess::kDone;
  }
  MsrAccess Write(MsrContext& context, uint32_t index, uint64_t value) override {
    if (index == 0x1A1) {
      context.storage.Add(index, value);
      return MsrAccess::kDone;
    }
    if (index != 0x1A0) return MsrAccess::kNotHandled;
    context.violations.Append({context.processor, index, value, "status is read-only"});
    return MsrAccess::kFault;
  }
};

TEST(SimMsr, FamilyHandlersComeBeforeTheStorage) {
  DriverRig rig(TwoProcessorMachine());
  rig.driver.Hardware().Bank(1)->AddHandler(std::make_shared<StatusModel>());
  auto device = rig.InstallAndOpen();
  MsrRequest request;
  EXPECT_FALSE(ReadMsr(*device, 0x1A0, request));  // processor 0 has no such model
  rig.processor = 1;
  ASSERT_TRUE(WriteMsr(*device, 0x1A1, 0x3));
  ASSERT_TRUE(ReadMsr(*device, 0x1A0, request));
  EXPECT_EQ(request.Value(), 0x8003u);
  ASSERT_TRUE(ReadMsr(*device, 0x10, request));  // other registers: plain storage
  EXPECT_EQ(request.Value(), 2000u);

  EXPECT_FALSE(WriteMsr(*device, 0x1A0, 0x55));
  const auto violations = rig.driver.Hardware().Violations().Entries();
  ASSERT_EQ(violations.size(), 1u);
  EXPECT_EQ(violations[0].processor, 1u);
  EXPECT_EQ(violations[0].index, 0x1A0u);
  EXPECT_EQ(violations[0].value, 0x55u);
}

}  // namespace
}  // namespace pacetta::sim::testing
