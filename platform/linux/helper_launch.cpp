#include "platform/linux/helper_launch.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/helper_socket.h"

namespace pacetta::linux_os {
namespace {

// The descriptor on which the helper reports readiness.
constexpr int kReadyFd = 3;

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* Get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

bool WaitForReadyByte(int fd, std::chrono::milliseconds timeout) {
  pollfd entry{fd, POLLIN, 0};
  int ready;
  do {
    ready = poll(&entry, 1, static_cast<int>(timeout.count()));
  } while (ready < 0 && errno == EINTR);
  if (ready <= 0) return false;
  char byte = 0;
  return read(fd, &byte, 1) == 1;  // end of stream: the helper gave up
}

}  // namespace

bool LaunchHelper(const std::string& binary, const std::string& socketPath,
                  const std::vector<std::string>& arguments, std::chrono::milliseconds timeout) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  UniqueFd readEnd(ends[0]);
  UniqueFd writeEnd(ends[1]);

  std::vector<std::string> storage{binary, "--socket=" + socketPath,
                                   "--ready-fd=" + std::to_string(kReadyFd)};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : storage) argv.push_back(text.data());
  argv.push_back(nullptr);
  // A privileged helper starts with an empty environment: nothing of the caller's
  // environment may steer it.
  char* environment[] = {nullptr};

  SpawnActions actions;
  posix_spawn_file_actions_adddup2(actions.Get(), writeEnd.Get(), kReadyFd);
  // Nothing of this program's terminal or pipes: a helper that outlives it must not keep
  // them open (a reader of this program's output would wait for the helper's end), nor
  // block on one that nobody reads.
  posix_spawn_file_actions_addopen(actions.Get(), 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(actions.Get(), 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(actions.Get(), 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawn(&pid, binary.c_str(), actions.Get(), nullptr, argv.data(), environment) != 0) {
    return false;
  }
  writeEnd.Reset();

  const bool ready = WaitForReadyByte(readEnd.Get(), timeout);
  // The started process forks the helper and ends at once; collect it. One that hangs
  // before that point is ended here.
  int status = 0;
  if (waitpid(pid, &status, WNOHANG) == 0) {
    if (!ready) kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  return ready;
}

}  // namespace pacetta::linux_os
