#include "platform/linux/linux_processes.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace pacetta::linux_os {
namespace {

// RAII for the spawn attribute objects.
struct SpawnSetup {
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  SpawnSetup() {
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

std::unique_ptr<platform::SupervisedProcess> LinuxProcesses::StartSupervised(
    const platform::ProcessLaunch& launch) {
  int stopPipe[2];
  if (pipe2(stopPipe, O_CLOEXEC) != 0) return nullptr;

  SpawnSetup setup;
  // The read end becomes the child's standard input; dup2 clears close-on-exec there only.
  posix_spawn_file_actions_adddup2(&setup.actions, stopPipe[0], 0);
  const short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  // A group of its own: a Ctrl-C at the terminal reaches the program, which then ends
  // its children in order, and not the children directly.
  posix_spawnattr_setpgroup(&setup.attributes, 0);
  // The program blocks the termination signals for its watch thread; the child must not
  // inherit that.
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&setup.attributes, &signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  sigaddset(&signals, SIGPIPE);
  posix_spawnattr_setsigdefault(&setup.attributes, &signals);
  posix_spawnattr_setflags(&setup.attributes, flags);

  std::vector<std::string> storage{launch.path};
  storage.insert(storage.end(), launch.arguments.begin(), launch.arguments.end());
  std::vector<char*> argv;
  for (auto& argument : storage) argv.push_back(argument.data());
  argv.push_back(nullptr);

  pid_t pid = -1;
  const int result = posix_spawn(&pid, launch.path.c_str(), &setup.actions, &setup.attributes,
                                 argv.data(), environ);
  close(stopPipe[0]);
  if (result != 0) {
    close(stopPipe[1]);
    return nullptr;
  }
  if (launch.idlePriority) {
    // posix_spawn takes only the real-time and normal classes, so the class is set here,
    // before the caller gets the process; the child takes it itself as well.
    sched_param priority{};
    sched_setscheduler(pid, SCHED_IDLE, &priority);
  }
  // The child is ours and not yet collected, so its number cannot have been reused.
  const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  return std::make_unique<LinuxSupervisedProcess>(pid, stopPipe[1], pidFd);
}

}  // namespace pacetta::linux_os
