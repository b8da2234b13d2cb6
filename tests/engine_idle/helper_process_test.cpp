#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/idle/idle_helpers.h"
#include "platform/linux/linux_processes.h"

namespace pacetta {
namespace {

using namespace std::chrono_literals;

constexpr auto kGenerous = 30s;
const std::string kHelper = std::string(PACETTA_BIN_DIR) + "/PacettaHLT";

std::optional<uint64_t> AffinityOf(pid_t pid) {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(pid, sizeof set, &set) != 0) return std::nullopt;
  uint64_t mask = 0;
  for (unsigned bit = 0; bit < 64; ++bit) {
    if (CPU_ISSET(bit, &set)) mask |= uint64_t{1} << bit;
  }
  return mask;
}

// Whether a process that is not our child ends within `bound`.
bool EndsWithin(pid_t pid, std::chrono::milliseconds bound) {
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) return errno == ESRCH;  // gone already
  pollfd watch{fd, POLLIN, 0};
  const bool ended = poll(&watch, 1, static_cast<int>(bound.count())) == 1;
  close(fd);
  return ended;
}

// Real processes, with the numbers of those started kept for the test.
class RecordingProcesses final : public platform::Processes {
 public:
  std::unique_ptr<platform::SupervisedProcess> StartSupervised(
      const platform::ProcessLaunch& launch) override {
    auto process = real_.StartSupervised(launch);
    if (process) ids.push_back(process->Id());
    return process;
  }
  std::vector<pid_t> ids;

 private:
  linux_os::LinuxProcesses real_;
};

TEST(PacettaHlt, RunsPinnedAtTheIdleClassAndEndsOnTheStopSignal) {
  linux_os::LinuxProcesses processes;
  auto helper = processes.StartSupervised({kHelper, {}, true});
  ASSERT_TRUE(helper);
  ASSERT_TRUE(helper->SetAffinity(1));
  EXPECT_EQ(AffinityOf(helper->Id()), uint64_t{1});
  EXPECT_EQ(sched_getscheduler(helper->Id()), SCHED_IDLE);
  EXPECT_TRUE(helper->IsRunning());
  EXPECT_FALSE(helper->WaitForExit(0ms));
  EXPECT_TRUE(helper->Times());

  helper->SignalStop();
  ASSERT_TRUE(helper->WaitForExit(kGenerous));
  EXPECT_FALSE(helper->IsRunning());
  EXPECT_TRUE(helper->Times()) << "the final times stay readable";
  EXPECT_FALSE(helper->SetAffinity(1));
}

TEST(PacettaHlt, AMissingHelperDoesNotStart) {
  linux_os::LinuxProcesses processes;
  EXPECT_FALSE(processes.StartSupervised({kHelper + ".missing", {}, true}));
}

TEST(PacettaHlt, EndsOnItsOwnWhenTheProgramDies) {
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  // The test program has no other thread here, so the child may use the heap.
  const pid_t program = fork();
  ASSERT_GE(program, 0);
  if (program == 0) {
    linux_os::LinuxProcesses processes;
    auto helper = processes.StartSupervised({kHelper, {}, true});
    const pid_t id = helper ? helper->Id() : -1;
    if (write(report[1], &id, sizeof id) != sizeof id) _exit(2);
    helper.release();  // a crash runs no destructor
    _exit(0);
  }
  close(report[1]);
  pid_t helper = -1;
  ASSERT_EQ(read(report[0], &helper, sizeof helper), static_cast<ssize_t>(sizeof helper));
  close(report[0]);
  ASSERT_GT(helper, 0);
  waitpid(program, nullptr, 0);
  EXPECT_TRUE(EndsWithin(helper, kGenerous));
}

TEST(IdleHelpersOnLinux, AHelperKilledByHandIsRestartedOnItsProcessor) {
  RecordingProcesses processes;
  const unsigned count = std::min(2u, static_cast<unsigned>(sysconf(_SC_NPROCESSORS_ONLN)));
  IdleHelpers helpers(processes, kHelper, count);
  helpers.StartAll();
  ASSERT_EQ(processes.ids.size(), count);
  const unsigned last = count - 1;
  EXPECT_EQ(AffinityOf(processes.ids[last]), uint64_t{1} << last);

  kill(processes.ids[last], SIGKILL);
  const auto deadline = std::chrono::steady_clock::now() + kGenerous;
  while (helpers.IsRunning(last) && std::chrono::steady_clock::now() < deadline) {
    EndsWithin(processes.ids[last], 100ms);
  }
  EXPECT_EQ(helpers.Supervise(), std::vector<unsigned>{last});
  ASSERT_EQ(processes.ids.size(), count + 1);
  EXPECT_EQ(AffinityOf(processes.ids.back()), uint64_t{1} << last);

  const IdleHelpersStopped stopped = helpers.Stop(kGenerous);
  EXPECT_EQ(stopped.ended, count);
  EXPECT_EQ(stopped.killed, 0u);
  for (unsigned i = 0; i < count; ++i) EXPECT_FALSE(helpers.IsRunning(i));
}

TEST(IdleHelpersOnLinux, AHelperThatIgnoresTheStopSignalIsEndedAfterTheBound) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("pacetta-idle-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const auto stubborn = folder / "PacettaHLT";
  std::ofstream(stubborn) << "#!/bin/sh\nexec sleep 600\n";
  std::filesystem::permissions(stubborn, std::filesystem::perms::owner_all);

  RecordingProcesses processes;
  IdleHelpers helpers(processes, IdleHelperPath(folder.string()), 1);
  helpers.StartAll();
  ASSERT_EQ(processes.ids.size(), 1u);
  const IdleHelpersStopped stopped = helpers.Stop(200ms);
  EXPECT_EQ(stopped.ended, 0u);
  EXPECT_EQ(stopped.killed, 1u);
  EXPECT_FALSE(helpers.IsRunning(0));
  EXPECT_TRUE(EndsWithin(processes.ids[0], 0ms));
  std::filesystem::remove_all(folder);
}

TEST(LinuxProcesses, TimesFollowTheWorkOfTheProcess) {
  linux_os::LinuxProcesses processes;
  auto busy = processes.StartSupervised({"/bin/sh", {"-c", "while :; do :; done"}, false});
  ASSERT_TRUE(busy);
  const auto deadline = std::chrono::steady_clock::now() + kGenerous;
  int64_t used = 0;
  while (used == 0 && std::chrono::steady_clock::now() < deadline) {
    busy->WaitForExit(20ms);
    const auto times = busy->Times();
    ASSERT_TRUE(times);
    used = times->kernel + times->user;
  }
  EXPECT_GT(used, 0);
  busy->Kill();
  ASSERT_TRUE(busy->WaitForExit(kGenerous));
  const auto final = busy->Times();
  ASSERT_TRUE(final);
  EXPECT_GE(final->kernel + final->user, used) << "the final times include all the work";
}

}  // namespace
}  // namespace pacetta
