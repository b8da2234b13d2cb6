// Two simulated processes on one state folder, as two program instances on one machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "driver_rig.h"

namespace pacetta::sim::testing {
namespace {

namespace fs = std::filesystem;

class SharedState : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(::testing::TempDir()) /
              ("sim_driver_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::unique_ptr<DriverRig> Process(int pid) {
    auto rig = std::make_unique<DriverRig>(TwoProcessorMachine(), SimFaults{},
                                           std::make_unique<FileServiceStore>(folder_), pid);
    rig->alive = alive_;
    return rig;
  }
  static uint32_t UseCount(platform::Device& device, int32_t change) {
    std::vector<uint32_t> out;
    EXPECT_TRUE(Call<2>(device, driver::kChangeUseCount,
                        {driver::kUseCountTag, static_cast<uint32_t>(change)}, out));
    return out[0];
  }

  fs::path folder_;
  std::set<int> alive_{100, 200};
};

TEST_F(SharedState, TwoProcessesSeeOneServiceAndOneUseCount) {
  auto first = Process(100);
  auto second = Process(200);
  auto firstDevice = first->InstallAndOpen();
  ASSERT_NE(firstDevice, nullptr);
  EXPECT_EQ(UseCount(*firstDevice, +1), 1u);

  // The second process finds the service installed and running: its create fails.
  auto manager = second->driver.ServiceControl().OpenManager();
  EXPECT_EQ(manager->CreateDriverService("Portex64", "Portex64", kDriverFile), nullptr);
  auto secondDevice = second->driver.DeviceIo().OpenDevice("\\\\.\\Portex64");
  ASSERT_NE(secondDevice, nullptr);
  EXPECT_EQ(UseCount(*secondDevice, +1), 2u);
  EXPECT_EQ(UseCount(*firstDevice, 0), 2u);
  EXPECT_EQ(UseCount(*firstDevice, -1), 1u);
  // A process cannot release another's use.
  EXPECT_EQ(UseCount(*firstDevice, -1), 1u);

  // One process stopping the driver is seen by the other.
  auto service = manager->OpenService("Portex64");
  ASSERT_TRUE(service->Stop());
  EXPECT_EQ(first->driver.DeviceIo().OpenDevice("\\\\.\\Portex64"), nullptr);
}

TEST_F(SharedState, WhatADeadProcessHeldIsDropped) {
  auto survivor = Process(100);
  auto device = survivor->InstallAndOpen();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(UseCount(*device, +1), 1u);

  auto crashed = Process(200);
  auto crashedDevice = crashed->driver.DeviceIo().OpenDevice("\\\\.\\Portex64");
  EXPECT_EQ(UseCount(*crashedDevice, +2), 3u);
  // It holds the last open handle of a service it stopped and marked for deletion.
  auto crashedManager = crashed->driver.ServiceControl().OpenManager();
  auto heldHandle = crashedManager->OpenService("Portex64");
  ASSERT_TRUE(heldHandle->Stop());
  ASSERT_TRUE(heldHandle->Delete());

  // Then it dies without closing anything: the survivor drops its uses and handle.
  survivor->alive.erase(200);
  auto manager = survivor->driver.ServiceControl().OpenManager();
  EXPECT_EQ(manager->OpenService("Portex64"), nullptr);
  ASSERT_NE(manager->CreateDriverService("Portex64", "Portex64", kDriverFile), nullptr);
  auto service = manager->OpenService("Portex64");
  ASSERT_TRUE(service->Start());
  auto fresh = survivor->driver.DeviceIo().OpenDevice("\\\\.\\Portex64");
  EXPECT_EQ(UseCount(*fresh, 0), 0u);  // a restarted driver starts without users
}

TEST_F(SharedState, UsesOfDeadProcessesLeaveTheCount) {
  auto survivor = Process(100);
  auto device = survivor->InstallAndOpen();
  auto other = Process(200);
  auto otherDevice = other->driver.DeviceIo().OpenDevice("\\\\.\\Portex64");
  ASSERT_TRUE(device && otherDevice);
  EXPECT_EQ(UseCount(*device, +1), 1u);
  EXPECT_EQ(UseCount(*otherDevice, +1), 2u);
  survivor->alive.erase(200);
  EXPECT_EQ(UseCount(*device, 0), 1u);
}

TEST_F(SharedState, DamagedStateFileIsReplacedWithAFreshState) {
  fs::create_directories(folder_);
  for (const char* damage :
       {"{\"format\":1,\"services\":{\"portex64\":{\"name\":", "\x01\x02garbage",
        "{\"format\":1,\"services\":{\"portex64\":{\"name\":\"Portex64\"}}}", "[]"}) {
    std::ofstream(folder_ / "services.json", std::ios::trunc) << damage;
    auto rig = Process(100);
    auto device = rig->InstallAndOpen();
    ASSERT_NE(device, nullptr) << damage;
    EXPECT_EQ(UseCount(*device, +1), 1u);
    std::ifstream in(folder_ / "services.json");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(ParseServiceTable(text).has_value());
    fs::remove(folder_ / "services.json");
  }
}

TEST_F(SharedState, ConcurrentChangesAreNotLost) {
  auto first = Process(100);
  auto second = Process(200);
  auto firstDevice = first->InstallAndOpen();
  auto secondDevice = second->driver.DeviceIo().OpenDevice("\\\\.\\Portex64");
  ASSERT_TRUE(firstDevice && secondDevice);
  constexpr int kRounds = 40;
  auto addUses = [](platform::Device& device) {
    for (int i = 0; i < kRounds; ++i) UseCount(device, +1);
  };
  std::thread a(addUses, std::ref(*firstDevice));
  std::thread b(addUses, std::ref(*secondDevice));
  std::thread c(addUses, std::ref(*secondDevice));
  a.join();
  b.join();
  c.join();
  EXPECT_EQ(UseCount(*firstDevice, 0), 3u * kRounds);
}

}  // namespace
}  // namespace pacetta::sim::testing
