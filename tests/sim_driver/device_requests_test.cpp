#include <gtest/gtest.h>

#include <thread>

#include "driver_rig.h"

namespace pacetta::sim::testing {
namespace {

TEST(SimDevice, OpensOnlyWhileItsServiceRuns) {
  DriverRig rig(TwoProcessorMachine());
  EXPECT_EQ(rig.driver.DeviceIo().OpenDevice("\\\\.\\Portex64"), nullptr);  // not installed
  ASSERT_NE(rig.InstallAndOpen(), nullptr);
  EXPECT_NE(rig.driver.DeviceIo().OpenDevice("\\\\.\\PORTEX64"), nullptr);
  EXPECT_EQ(rig.driver.DeviceIo().OpenDevice("\\\\.\\Portex32"), nullptr);
  EXPECT_EQ(rig.driver.DeviceIo().OpenDevice("Portex64"), nullptr);

  auto manager = rig.driver.ServiceControl().OpenManager();
  ASSERT_TRUE(manager->OpenService("Portex64")->Stop());
  EXPECT_EQ(rig.driver.DeviceIo().OpenDevice("\\\\.\\Portex64"), nullptr);
}

TEST(SimDevice, ThirtyTwoBitMachineHasPortex32) {
  DriverRig rig(TwoProcessorMachine(false));
  EXPECT_EQ(rig.Name(), "Portex32");
  EXPECT_NE(rig.InstallAndOpen(), nullptr);
}

TEST(SimDevice, DeviceFaultKeepsItClosed) {
  SimFaults faults;
  faults.deviceOpenFails = true;
  DriverRig rig(TwoProcessorMachine(), faults);
  EXPECT_EQ(rig.InstallAndOpen(), nullptr);
  EXPECT_TRUE(rig.driver.Services().IsRunning("Portex64"));
}

TEST(SimDevice, VersionIsOnePointFiveUnlessToldOtherwise) {
  DriverRig rig(TwoProcessorMachine());
  auto device = rig.InstallAndOpen();
  std::vector<uint32_t> out;
  ASSERT_TRUE(Call<2>(*device, driver::kQueryVersion, {0, 0}, out));
  EXPECT_EQ(out, (std::vector<uint32_t>{1, 5}));

  SimFaults faults;
  faults.version = {2, 5};
  DriverRig other(TwoProcessorMachine(), faults);
  auto otherDevice = other.InstallAndOpen();
  ASSERT_TRUE(Call<2>(*otherDevice, driver::kQueryVersion, {0, 0}, out));
  EXPECT_EQ(out, (std::vector<uint32_t>{2, 5}));
}

TEST(SimDevice, UseCountNeedsItsTagAndNeverGoesNegative) {
  DriverRig rig(TwoProcessorMachine());
  auto device = rig.InstallAndOpen();
  std::vector<uint32_t> out;
  EXPECT_FALSE(Call<2>(*device, driver::kChangeUseCount, {0, 1}, out));
  ASSERT_TRUE(Call<2>(*device, driver::kChangeUseCount, {driver::kUseCountTag, 1}, out));
  EXPECT_EQ(out[0], 1u);
  ASSERT_TRUE(Call<2>(*device, driver::kChangeUseCount, {driver::kUseCountTag, 0xFFFFFFFE}, out));
  EXPECT_EQ(out[0], 0u);
  // The same block in and out, as the program passes it.
  std::array<uint32_t, 2> block{driver::kUseCountTag, 1};
  uint32_t returned = 0;
  ASSERT_TRUE(
      device->Control(driver::kChangeUseCount, block.data(), 8, block.data(), 8, &returned));
  EXPECT_EQ(block[0], 1u);
  EXPECT_EQ(returned, 8u);
}

// Every request code refuses buffers of the wrong size, and says nothing was returned.
TEST(SimDevice, WrongBufferSizesFail) {
  DriverRig rig(TwoProcessorMachine(false));
  auto device = rig.InstallAndOpen();
  const struct {
    uint32_t code;
    uint32_t in;
    uint32_t out;
  } sizes[] = {
      {driver::kMapPhysicalMemory, 16, 8}, {driver::kReadPortByte, 8, 8},
      {driver::kReadPortWord, 8, 8},       {driver::kReadPortDword, 8, 8},
      {driver::kWritePortByte, 8, 8},      {driver::kWritePortWord, 8, 8},
      {driver::kWritePortDword, 8, 8},     {driver::kRunKernelRoutine, 28, 28},
      {driver::kQueryVersion, 8, 8},       {driver::kChangeUseCount, 8, 8},
      {driver::kReadMsr, 12, 12},          {driver::kWriteMsr, 12, 12},
  };
  std::array<uint32_t, 16> in{};
  in[0] = driver::kUseCountTag;
  std::array<uint32_t, 16> out{};
  for (const auto& s : sizes) {
    const std::pair<uint32_t, uint32_t> wrong[] = {
        {s.in - 4, s.out}, {s.in + 4, s.out}, {s.in, s.out - 4}, {s.in, s.out + 4}};
    for (const auto& [inSize, outSize] : wrong) {
      uint32_t returned = 99;
      EXPECT_FALSE(device->Control(s.code, in.data(), inSize, out.data(), outSize, &returned))
          << std::hex << s.code << " in " << inSize << " out " << outSize;
      EXPECT_EQ(returned, 0u);
    }
    EXPECT_FALSE(device->Control(s.code, nullptr, s.in, out.data(), s.out, nullptr));
  }
  EXPECT_FALSE(device->Control(driver::kUnmapPhysicalMemory, in.data(), 4, nullptr, 0, nullptr));
  EXPECT_FALSE(device->Control(0x80002024, in.data(), 8, out.data(), 8, nullptr));  // not a code
}

TEST(SimDevice, FailingRequestCodesFailWithoutEffect) {
  SimFaults faults;
  faults.failingRequests = {driver::kWriteMsr, driver::kChangeUseCount};
  DriverRig rig(TwoProcessorMachine(), faults);
  auto device = rig.InstallAndOpen();
  EXPECT_FALSE(WriteMsr(*device, 0x10, 5));
  MsrRequest request;
  ASSERT_TRUE(ReadMsr(*device, 0x10, request));
  EXPECT_EQ(request.Value(), 1000u);
  std::vector<uint32_t> out;
  EXPECT_FALSE(Call<2>(*device, driver::kChangeUseCount, {driver::kUseCountTag, 1}, out));
}

TEST(SimDevice, RequestLogKeepsTheMostRecentRequests) {
  DriverRig rig(TwoProcessorMachine());
  auto device = rig.InstallAndOpen();
  RequestLog& log = rig.driver.Hardware().Requests();
  log.Clear();
  MsrRequest request;
  rig.processor = 1;
  ReadMsr(*device, 0x10, request);
  ReadMsr(*device, 0x11, request);
  const auto entries = log.Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].code, driver::kReadMsr);
  EXPECT_EQ(entries[0].processor, 1u);
  EXPECT_TRUE(entries[0].succeeded);
  EXPECT_FALSE(entries[1].succeeded);

  RequestLog small(3);
  for (uint32_t code = 1; code <= 5; ++code) small.Append({code, 0, true});
  const auto kept = small.Entries();
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept.front().code, 3u);
  EXPECT_EQ(small.Dropped(), 2u);
}

// The program shares one device between its threads; each request stands on its own.
TEST(SimDevice, ThreadsShareOneDevice) {
  MachineSpec machine = TwoProcessorMachine();
  for (uint32_t thread = 0; thread < 3; ++thread)
    machine.processors[0].msrStart[0x200 + thread] = 0;
  DriverRig rig(machine);
  auto device = rig.InstallAndOpen();
  constexpr uint64_t kRounds = 600;  // more requests than the log keeps
  std::vector<std::thread> threads;
  for (uint32_t thread = 0; thread < 3; ++thread) {
    threads.emplace_back([&device, thread] {
      for (uint64_t round = 1; round <= kRounds; ++round) {
        MsrRequest request;
        ReadMsr(*device, 0x200 + thread, request);
        WriteMsr(*device, 0x200 + thread, request.Value() + 1);
        ReadPort(*device, driver::kReadPortByte, 0x40);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (uint32_t thread = 0; thread < 3; ++thread) {
    MsrRequest request;
    ASSERT_TRUE(ReadMsr(*device, 0x200 + thread, request));
    EXPECT_EQ(request.Value(), kRounds);
  }
  EXPECT_EQ(rig.driver.Hardware().Requests().Entries().size(), RequestLog::kDefaultCapacity);
}

}  // namespace
}  // namespace pacetta::sim::testing
