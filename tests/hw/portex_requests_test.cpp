#include <gtest/gtest.h>

#include "fake_platform.h"
#include "hw/portex_driver.h"

namespace pacetta {
namespace {

using testing::FakePlatform;

class PortexRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.InstallHelperFile();
    ASSERT_EQ(driver.Open(0), 0);
    fake.world.requests.clear();
  }

  FakePlatform fake;
  CPortexDriver driver{fake.view};
};

TEST_F(PortexRequests, OnlyVersionOnePointFiveIsExpected) {
  for (const auto& [major, minor, expected] : std::vector<std::tuple<uint32_t, uint32_t, bool>>{
           {1, 5, true}, {1, 4, false}, {2, 5, false}}) {
    fake.world.versionMajor = major;
    fake.world.versionMinor = minor;
    EXPECT_EQ(driver.IsExpectedVersion(), expected) << major << "." << minor;
  }
  fake.world.versionMajor = 1;
  fake.world.versionMinor = 5;
  fake.world.failingCodes.insert(driver::kQueryVersion);
  DriverVersion version{7, 7};
  EXPECT_FALSE(driver.QueryVersion(version));
  EXPECT_EQ(version.major, 7u);
  EXPECT_FALSE(driver.IsExpectedVersion());
}

TEST_F(PortexRequests, UseCountIsSharedAndAFailedQueryIsTagged) {
  fake.world.useCount += 2;  // two other processes
  uint32_t count = 0;
  ASSERT_TRUE(driver.GetUseCount(count));
  EXPECT_EQ(count, 3u);
  fake.world.useCountQueryFails = true;
  EXPECT_FALSE(driver.GetUseCount(count));
  EXPECT_EQ(count, driver::kUseCountTag);
}

TEST_F(PortexRequests, MsrReadsFillTheBlockOrLeaveAllOnes) {
  fake.world.msrs[0xC0010042u] = 0x0000'0A12'0000'0C0Cull;
  MsrRequest request;
  ASSERT_TRUE(driver.ReadMsrValue(request, 0xC0010042u));
  EXPECT_EQ(request.high, 0x0A12u);
  EXPECT_EQ(request.low, 0x0C0Cu);

  // The fake driver scribbles over the block when it fails.
  EXPECT_FALSE(driver.ReadMsrValue(request, 0x199));
  EXPECT_TRUE(request.IsAllOnes());
  request = {0x199, 0, 0};
  EXPECT_FALSE(driver.ReadMsr(request));
  EXPECT_TRUE(request.IsAllOnes());

  ASSERT_TRUE(driver.WriteMsrValue(request, 0x199, 0x0612, 0x1));
  EXPECT_EQ(fake.world.msrs[0x199], 0x1'0000'0612ull);
}

TEST_F(PortexRequests, PortRequestsCarryPortAndValueInTwoWords) {
  fake.world.ports[0xCFC] = 0x11223344u;
  EXPECT_EQ(driver.ReadPortByte(0xCFC), 0x44u);
  EXPECT_EQ(driver.ReadPortWord(0xCFC), 0x3344u);
  EXPECT_EQ(driver.ReadPortDword(0x1'0CFC), 0x11223344u);  // only 16 port bits travel

  driver.WritePortByte(0x80, 0x1FFu);
  driver.WritePortWord(0xCFC, 0x12345678u);
  driver.WritePortDword(0xCF8, 0x8000C388u);
  const std::vector<std::pair<uint32_t, uint32_t>> expected{
      {0x80, 0x1FF}, {0xCFC, 0x5678}, {0xCF8, 0x8000C388u}};
  EXPECT_EQ(fake.world.portWrites, expected);

  fake.world.failingCodes = {driver::kReadPortDword, driver::kWritePortDword};
  EXPECT_EQ(driver.ReadPortDword(0xCFC), 0u);
  EXPECT_EQ(driver.WritePortDword(0xCF8, 1), 0u);
}

TEST_F(PortexRequests, KernelRoutinesRunOnlyOnA32BitSystem) {
  driver::KernelCallBlock block;
  block.eax = 0x1234;
  block.routine = static_cast<uint32_t>(driver::KernelRoutine::kK7Transition);
  EXPECT_FALSE(driver.RunKernelRoutine(block));  // the fixture's system is 64-bit
  EXPECT_TRUE(fake.world.requests.empty());

  fake.system.emulated = false;
  ASSERT_TRUE(driver.RunKernelRoutine(block));
  EXPECT_EQ(fake.world.lastKernelBlock.eax, 0x1234u);
  EXPECT_EQ(block.ebx, 3u);  // the routine's answer came back in the same block
}

TEST(PortexClosed, EveryRequestFailsWithoutReachingThePlatform) {
  FakePlatform fake;
  fake.system.emulated = false;
  fake.world.msrs[0x10] = 5;
  CPortexDriver driver(fake.view);
  const int emulationQueries = fake.system.emulationQueries;

  DriverVersion version;
  uint32_t count = 0;
  MsrRequest request{0x10, 0, 0};
  driver::KernelCallBlock block;
  EXPECT_FALSE(driver.QueryVersion(version));
  EXPECT_FALSE(driver.IsExpectedVersion());
  EXPECT_FALSE(driver.AddUse());
  EXPECT_FALSE(driver.ReleaseUse());
  EXPECT_FALSE(driver.GetUseCount(count));
  EXPECT_EQ(count, driver::kUseCountTag);
  EXPECT_EQ(driver.ReadPortByte(0x80) | driver.ReadPortWord(0x80) | driver.ReadPortDword(0x80), 0u);
  EXPECT_EQ(driver.WritePortByte(0x80, 1) | driver.WritePortWord(0x80, 1) |
                driver.WritePortDword(0x80, 1),
            0u);
  EXPECT_FALSE(driver.ReadMsr(request));
  EXPECT_TRUE(request.IsAllOnes());
  EXPECT_FALSE(driver.WriteMsrValue(request, 0x10, 1, 0));
  EXPECT_FALSE(driver.RunKernelRoutine(block));

  EXPECT_TRUE(fake.world.requests.empty());
  EXPECT_TRUE(fake.world.calls.empty());
  EXPECT_EQ(fake.system.emulationQueries, emulationQueries);
  EXPECT_EQ(driver.GetHandle(), nullptr);
}

}  // namespace
}  // namespace pacetta
