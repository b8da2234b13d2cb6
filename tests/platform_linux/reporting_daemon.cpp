#include "tests/platform_linux/reporting_daemon.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/linux/helper_socket.h"

namespace pacetta::testing {
namespace {

// Generous: a loaded machine may take long to start a server.
constexpr std::chrono::seconds kStartBound{20};

// The first line `fd` gives within the bound, without its line end.
std::string ReadLine(int fd) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + kStartBound;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 1000) < 0 && errno != EINTR) break;
    if (!ready.revents) continue;
    char c = 0;
    if (read(fd, &c, 1) != 1) break;
    if (c == '\n') return line;
    line += c;
  }
  return {};
}

}  // namespace

ReportingDaemon::ReportingDaemon(const std::vector<std::string>& arguments,
                                 const std::string& log) {
  int out[2];
  if (arguments.empty() || pipe2(out, O_CLOEXEC) != 0) return;
  linux_os::UniqueFd readEnd(out[0]);
  linux_os::UniqueFd writeEnd(out[1]);

  // Everything the child needs is made before the fork: it may only make system calls.
  std::vector<std::string> copies = arguments;
  std::vector<char*> argv;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) return;
  if (pid_ == 0) {
    // A test program that is killed takes its daemon along.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    // Its complaints (about limits it may not raise, say) go to a file, not the output.
    const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (dup2(writeEnd.Get(), STDOUT_FILENO) < 0 || logFd < 0 || dup2(logFd, STDERR_FILENO) < 0) {
      _exit(127);
    }
    execvp(argv[0], argv.data());
    _exit(127);
  }
  writeEnd.Reset();
  report_ = ReadLine(readEnd.Get());
}

ReportingDaemon::~ReportingDaemon() {
  Stop();
}

void ReportingDaemon::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

}  // namespace pacetta::testing
