// The simulated PC's scheduler and processes: priority requests are recorded and never
// reach the host, and real helper processes pinned to simulated processors land on the
// host's processors, however many more the simulated machine has.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>

#include <thread>

#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/pc/sim_processes.h"
#include "platform/sim/simulated_pc.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::sim::testing {
namespace {

using platform::ProcessPriority;
using platform::ThreadPriority;

std::unique_ptr<SimulatedPc> MakePc(const pacetta::testing::TempFolder& folder,
                                    unsigned processorCount = 0) {
  auto machine = FindCatalogueMachine("k8-x2-laptop");
  EXPECT_TRUE(machine);
  if (!machine) return nullptr;
  // More processors than any test host: copies of the first, each with its own APIC id.
  while (machine->processors.size() < processorCount) {
    ProcessorSpec copy = machine->processors.front();
    copy.apicId = static_cast<uint32_t>(machine->processors.size());
    machine->processors.push_back(copy);
  }
  SimulationOptions options;
  options.stateFolder = folder.File("state");
  options.settingsPath = folder.File("settings.json");
  std::string error;
  auto pc = SimulatedPc::FromMachine(std::move(*machine), options, error);
  EXPECT_TRUE(pc) << error;
  return pc;
}

TEST(SimulatedPcPriorities, LatestRequestsAreRecordedPerThreadAndTheHostIsLeftAlone) {
  pacetta::testing::TempFolder folder;
  auto pc = MakePc(folder);
  ASSERT_TRUE(pc);
  platform::Priorities& priorities = pc->View().priorities;
  EXPECT_FALSE(pc->Priorities().Process());
  const int policy = sched_getscheduler(0);
  const int nice = getpriority(PRIO_PROCESS, 0);

  EXPECT_TRUE(priorities.SetProcessPriority(ProcessPriority::kRealtime));
  std::thread::id stays, goesBack;
  std::thread first([&] {
    stays = std::this_thread::get_id();
    priorities.SetThreadPriority(ThreadPriority::kTimeCritical);
  });
  std::thread second([&] {
    goesBack = std::this_thread::get_id();
    priorities.SetThreadPriority(ThreadPriority::kTimeCritical);
    priorities.SetThreadPriority(ThreadPriority::kNormal);
  });
  first.join();
  second.join();

  EXPECT_EQ(pc->Priorities().Process(), ProcessPriority::kRealtime);
  const auto threads = pc->Priorities().Threads();
  ASSERT_EQ(threads.size(), 2u);
  EXPECT_EQ(threads.at(stays), ThreadPriority::kTimeCritical);
  EXPECT_EQ(threads.at(goesBack), ThreadPriority::kNormal);
  EXPECT_FALSE(priorities.TakeNotice());
  EXPECT_EQ(sched_getscheduler(0), policy);
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), nice);

  priorities.SetProcessPriority(ProcessPriority::kNormal);
  EXPECT_EQ(pc->Priorities().Process(), ProcessPriority::kNormal);
}

TEST(SimulatedPcProcesses, SimulatedProcessorsWrapAroundTheHostProcessors) {
  // Host processors 1, 3 and 4 may be used.
  const uint64_t host = 0b11010;
  EXPECT_EQ(RealProcessorsFor(0b1, host), 0b10u);
  EXPECT_EQ(RealProcessorsFor(0b100, host), 0b10000u);
  EXPECT_EQ(RealProcessorsFor(0b1000, host), 0b10u);  // 3 mod 3 = the first again
  EXPECT_EQ(RealProcessorsFor(uint64_t{1} << 63, host), 0b10u);
  EXPECT_EQ(RealProcessorsFor(0b1001, host), 0b10u);  // both land on one
  EXPECT_EQ(RealProcessorsFor(0b111, host), host);
  EXPECT_EQ(RealProcessorsFor(0b1, 0), 0u);
}

TEST(SimulatedPcProcesses, AHelperPinnedBeyondTheHostsProcessorsRunsOnOneOfThem) {
  pacetta::testing::TempFolder folder;
  auto pc = MakePc(folder, 32);
  ASSERT_TRUE(pc);
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  ASSERT_EQ(sched_getaffinity(0, sizeof(allowed), &allowed), 0);
  uint64_t hostMask = 0;
  for (unsigned k = 0; k < 64; ++k) {
    if (CPU_ISSET(k, &allowed)) hostMask |= uint64_t{1} << k;
  }

  // `cat` reads its standard input, the stop channel, and ends when it closes.
  platform::ProcessLaunch launch;
  launch.path = "/bin/cat";
  launch.idlePriority = true;
  auto helper = pc->View().processes.StartSupervised(launch);
  ASSERT_TRUE(helper);
  const unsigned simulated = 31;  // the last processor the program addresses
  EXPECT_TRUE(helper->SetAffinity(uint64_t{1} << simulated));

  cpu_set_t pinned;
  CPU_ZERO(&pinned);
  ASSERT_EQ(sched_getaffinity(helper->Id(), sizeof(pinned), &pinned), 0);
  EXPECT_EQ(CPU_COUNT(&pinned), 1);
  const uint64_t expected = RealProcessorsFor(uint64_t{1} << simulated, hostMask);
  for (unsigned k = 0; k < 64; ++k) {
    EXPECT_EQ(CPU_ISSET(k, &pinned) != 0, (expected >> k & 1) != 0) << "processor " << k;
  }
  EXPECT_TRUE(helper->IsRunning());
  helper->SignalStop();
  EXPECT_TRUE(helper->WaitForExit(std::chrono::seconds(30)));
  EXPECT_FALSE(helper->IsRunning());
}

}  // namespace
}  // namespace pacetta::sim::testing
