#include <gtest/gtest.h>

#include "tests/sim_driver/driver_rig.h"

namespace pacetta::sim::testing {
namespace {

std::vector<uint32_t> Version(platform::Device& device) {
  std::vector<uint32_t> out;
  EXPECT_TRUE(Call<2>(device, driver::kQueryVersion, {0, 0}, out));
  return out;
}

TEST(ForeignDriver, AnotherProgramsDriverAnswersItsVersionUntilOursReplacesIt) {
  SimFaults faults;
  faults.version = std::pair{1u, 4u};
  DriverRig rig(TwoProcessorMachine(), faults);
  // Installed and running before the program starts: the device opens at once.
  auto foreign = rig.driver.DeviceIo().OpenDevice("\\\\.\\Portex64");
  ASSERT_TRUE(foreign);
  EXPECT_EQ(Version(*foreign), (std::vector<uint32_t>{1, 4}));
  // Our own install finds the name taken and keeps talking to the other driver.
  auto same = rig.InstallAndOpen();
  ASSERT_TRUE(same);
  EXPECT_EQ(Version(*same), (std::vector<uint32_t>{1, 4}));

  // Removing the service and installing ours brings the expected version.
  {
    auto manager = rig.driver.ServiceControl().OpenManager();
    auto service = manager->OpenService("Portex64");
    ASSERT_TRUE(service);
    service->Stop();
    service->Delete();
  }
  auto ours = rig.InstallAndOpen();
  ASSERT_TRUE(ours);
  EXPECT_EQ(Version(*ours), (std::vector<uint32_t>{1, 5}));
}

TEST(ForeignDriver, WithoutTheFaultNothingIsInstalledBeforehand) {
  DriverRig rig(TwoProcessorMachine());
  EXPECT_FALSE(rig.driver.DeviceIo().OpenDevice("\\\\.\\Portex64"));
}

}  // namespace
}  // namespace pacetta::sim::testing
