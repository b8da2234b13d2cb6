// The kernel's governors of a register-steered machine, across whole runs of the program:
// given back after a termination signal, and after a killed run at the next start.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "platform/linux/kernel_cpu/governor_record.h"
#include "platform/linux/runtime_paths.h"
#include "tests/e2e/lifecycle_run.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;
using Taken = std::vector<platform::TakenGovernor>;

const std::string kDriver = "--sim-cpufreq=schedutil";

// The default machine's state folder, where its kernel keeps the governors and the
// program its record of those it switched.
std::string StateFile(const LifecycleRun& run, const std::string& name) {
  return run.RuntimeDir() + "/user-" + std::to_string(getuid()) + "/sim-" +
         linux_os::FileNameOf("k8-x2-laptop") + "/" + name;
}
Taken KernelGovernors(const LifecycleRun& run) {
  return linux_os::GovernorRecord(StateFile(run, "cpufreq-governors")).Read();
}
Taken ProgramRecord(const LifecycleRun& run) {
  return linux_os::GovernorRecord(StateFile(run, "cpufreq-taken")).Read();
}

void WaitUntilManaging(ChildProcess& program) {
  ASSERT_TRUE(WaitForStatus(
      program, [](const StatusLine&) { return true; }, 60s))
      << program.Output() << program.Errors();
}

const Taken kUserspace = {{0, "userspace"}, {1, "userspace"}};
const Taken kSchedutil = {{0, "schedutil"}, {1, "schedutil"}};

TEST(GovernorRuns, ATerminationSignalGivesTheGovernorsBack) {
  LifecycleRun run;
  auto program = run.Start({kDriver});
  WaitUntilManaging(*program);
  EXPECT_EQ(KernelGovernors(run), kUserspace);
  EXPECT_EQ(ProgramRecord(run), kSchedutil);

  program->Signal(SIGTERM);
  ASSERT_EQ(program->WaitForExit(60s), 0) << program->Errors();
  EXPECT_EQ(KernelGovernors(run), kSchedutil);
  EXPECT_FALSE(std::filesystem::exists(StateFile(run, "cpufreq-taken")));
}

TEST(GovernorRuns, AKilledRunIsUndoneAtTheNextStart) {
  LifecycleRun run;
  auto killed = run.Start({kDriver});
  WaitUntilManaging(*killed);
  killed->Signal(SIGKILL);
  ASSERT_NE(killed->WaitForExit(60s), -1);
  ASSERT_EQ(KernelGovernors(run), kUserspace);
  ASSERT_EQ(ProgramRecord(run), kSchedutil);

  // The next run takes over from the governor the system had, not from the one the
  // killed run left, and so gives that one back.
  auto next = run.Start({kDriver});
  WaitUntilManaging(*next);
  EXPECT_EQ(KernelGovernors(run), kUserspace);
  EXPECT_EQ(ProgramRecord(run), kSchedutil);
  EXPECT_EQ(run.Command({"-exit"}).exitCode, 0);
  ASSERT_EQ(next->WaitForExit(60s), 0) << next->Errors();
  EXPECT_EQ(KernelGovernors(run), kSchedutil);
}

}  // namespace
}  // namespace pacetta::testing
