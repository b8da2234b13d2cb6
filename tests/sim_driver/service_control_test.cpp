#include <gtest/gtest.h>

#include "platform/sim/driver/sim_service_control.h"

namespace pacetta::sim {
namespace {

using platform::ServiceState;
using platform::ServiceStatus;

constexpr const char* kBinary = "/opt/pacetta/Portex64";

struct Scm {
  explicit Scm(SimFaults faults = {})
      : control(std::make_shared<ServiceDatabase>(
            std::make_unique<MemoryServiceStore>(),
            ServiceHost{7, nullptr, [this](const std::string& p) { return p == existing; }},
            std::move(faults))),
        manager(control.OpenManager()) {}

  ServiceState State(const std::string& name) {
    auto service = manager->OpenService(name);
    ServiceStatus status;
    EXPECT_TRUE(service && service->QueryStatus(status));
    return status.state;
  }

  std::string existing = kBinary;
  SimServiceControl control;
  std::unique_ptr<platform::ServiceManager> manager;
};

TEST(SimServiceControl, CreateOpenStartStopFollowTheManagersRules) {
  Scm scm;
  EXPECT_EQ(scm.manager->OpenService("Portex64"), nullptr);
  auto service = scm.manager->CreateDriverService("Portex64", "Portex64", kBinary);
  ASSERT_NE(service, nullptr);
  EXPECT_EQ(scm.manager->CreateDriverService("Portex64", "Portex64", kBinary), nullptr);
  // Service names are case-insensitive.
  EXPECT_EQ(scm.manager->CreateDriverService("PORTEX64", "x", kBinary), nullptr);
  ASSERT_NE(scm.manager->OpenService("portex64"), nullptr);

  ServiceStatus status;
  ASSERT_TRUE(service->QueryStatus(status));
  EXPECT_EQ(status.state, ServiceState::kStopped);
  EXPECT_FALSE(service->Stop());  // not active

  EXPECT_TRUE(service->Start());
  EXPECT_EQ(scm.State("Portex64"), ServiceState::kRunning);
  EXPECT_FALSE(service->Start());  // already running: fails, changes nothing
  EXPECT_EQ(scm.State("Portex64"), ServiceState::kRunning);

  EXPECT_TRUE(service->Stop());
  EXPECT_EQ(scm.State("Portex64"), ServiceState::kStopped);
}

TEST(SimServiceControl, StartOfAMissingBinaryFailsAndStaysStopped) {
  Scm scm;
  auto service = scm.manager->CreateDriverService("Portex64", "Portex64", "/elsewhere/Portex64");
  EXPECT_FALSE(service->Start());
  EXPECT_EQ(scm.State("Portex64"), ServiceState::kStopped);
  scm.existing = "/elsewhere/Portex64";
  EXPECT_TRUE(service->Start());
}

TEST(SimServiceControl, DeletedServiceLingersUntilStoppedAndClosed) {
  Scm scm;
  auto creator = scm.manager->CreateDriverService("Portex64", "Portex64", kBinary);
  ASSERT_TRUE(creator->Start());
  auto other = scm.manager->OpenService("Portex64");
  ASSERT_TRUE(other->Delete());
  EXPECT_FALSE(other->Delete());  // already marked

  // Marked but running and open: still there, its name still taken, no restart.
  EXPECT_NE(scm.manager->OpenService("Portex64"), nullptr);
  EXPECT_EQ(scm.manager->CreateDriverService("Portex64", "Portex64", kBinary), nullptr);
  ASSERT_TRUE(other->Stop());
  EXPECT_FALSE(other->Start());

  other.reset();
  EXPECT_NE(scm.manager->OpenService("Portex64"), nullptr);  // `creator` is still open
  creator.reset();
  EXPECT_EQ(scm.manager->OpenService("Portex64"), nullptr);
  EXPECT_NE(scm.manager->CreateDriverService("Portex64", "Portex64", kBinary), nullptr);
}

TEST(SimServiceControl, StartPendingProgressesOneStepPerQuery) {
  SimFaults growing;
  growing.startPendingQueries = 3;
  growing.startWaitHintMs = 4000;
  Scm scm(growing);
  auto service = scm.manager->CreateDriverService("Portex64", "Portex64", kBinary);
  ASSERT_TRUE(service->Start());
  EXPECT_FALSE(service->Start());  // start pending: not startable again
  EXPECT_FALSE(service->Stop());   // nor stoppable yet
  ServiceStatus status;
  for (uint32_t query = 0; query < 3; ++query) {
    ASSERT_TRUE(service->QueryStatus(status));
    EXPECT_EQ(status.state, ServiceState::kStartPending);
    EXPECT_EQ(status.checkPoint, query);
    EXPECT_EQ(status.waitHintMs, 4000u);
  }
  ASSERT_TRUE(service->QueryStatus(status));
  EXPECT_EQ(status.state, ServiceState::kRunning);

  SimFaults stuck = growing;
  stuck.checkPointGrows = false;
  Scm stuckScm(stuck);
  auto stuckService = stuckScm.manager->CreateDriverService("Portex64", "Portex64", kBinary);
  ASSERT_TRUE(stuckService->Start());
  for (int query = 0; query < 3; ++query) {
    ASSERT_TRUE(stuckService->QueryStatus(status));
    EXPECT_EQ(status.checkPoint, 0u);
  }
}

TEST(SimServiceControl, InjectedFailures) {
  SimFaults refused;
  refused.managerRefused = true;
  EXPECT_EQ(Scm(refused).control.OpenManager(), nullptr);

  SimFaults noCreate;
  noCreate.createFails = true;
  Scm createScm(noCreate);
  EXPECT_EQ(createScm.manager->CreateDriverService("Portex64", "Portex64", kBinary), nullptr);
  EXPECT_EQ(createScm.manager->OpenService("Portex64"), nullptr);  // nothing was created

  SimFaults noOpen;
  noOpen.openFails = true;
  Scm openScm(noOpen);
  EXPECT_NE(openScm.manager->CreateDriverService("Portex64", "Portex64", kBinary), nullptr);
  EXPECT_EQ(openScm.manager->OpenService("Portex64"), nullptr);

  SimFaults noStart;
  noStart.startFails = true;
  noStart.statusFails = true;
  Scm startScm(noStart);
  auto service = startScm.manager->CreateDriverService("Portex64", "Portex64", kBinary);
  EXPECT_FALSE(service->Start());
  ServiceStatus status;
  EXPECT_FALSE(service->QueryStatus(status));
  EXPECT_FALSE(startScm.control.Database()->IsRunning("Portex64"));
}

}  // namespace
}  // namespace pacetta::sim
