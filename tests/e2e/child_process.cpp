#include "tests/e2e/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

extern char** environ;

namespace pacetta::testing {

using Clock = std::chrono::steady_clock;

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& extraEnvironment) {
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<std::string> argStorage{program};
  argStorage.insert(argStorage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : argStorage) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStorage;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool overridden = false;
    for (const auto& extra : extraEnvironment) {
      if (entry.substr(0, entry.find('=') + 1) == extra.substr(0, extra.find('=') + 1)) {
        overridden = true;
      }
    }
    if (!overridden) envStorage.push_back(entry);
  }
  envStorage.insert(envStorage.end(), extraEnvironment.begin(), extraEnvironment.end());
  std::vector<char*> envp;
  for (auto& e : envStorage) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    pid_ = pid;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(outPipe[1]);
  close(errPipe[1]);
  out_ = outPipe[0];
  err_ = errPipe[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
  if (err_ >= 0) close(err_);
}

void ChildProcess::Pump(std::chrono::milliseconds timeout) {
  pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
  if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0) return;
  char buffer[4096];
  for (int i = 0; i < 2; ++i) {
    if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
    const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
    if (n > 0) (i == 0 ? output_ : errors_).append(buffer, static_cast<size_t>(n));
  }
}

bool ChildProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout,
                                 size_t from) {
  const auto deadline = Clock::now() + timeout;
  const auto found = [&] {
    return output_.size() > from && output_.find(text, from) != std::string::npos;
  };
  while (!found()) {
    if (Clock::now() >= deadline) return false;
    Pump(std::chrono::milliseconds(50));
    if (WaitForExit(std::chrono::milliseconds(0)) != -1 && !found()) {
      Pump(std::chrono::milliseconds(0));
      return found();
    }
  }
  return true;
}

int ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return -1;
  const auto deadline = Clock::now() + timeout;
  while (!exited_) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      exited_ = true;
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      break;
    }
    if (Clock::now() >= deadline) return -1;
    Pump(std::chrono::milliseconds(20));
  }
  // Collect what is left in the pipes.
  for (int i = 0; i < 50; ++i) {
    const size_t before = output_.size() + errors_.size();
    Pump(std::chrono::milliseconds(1));
    if (output_.size() + errors_.size() == before) break;
  }
  return exitCode_;
}

std::string ChildProcess::StatusField(const std::string& name) const {
  std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(name + ":", 0) == 0) {
      const auto value = line.find_first_not_of(" \t", name.size() + 1);
      return value == std::string::npos ? std::string() : line.substr(value);
    }
  }
  return "?";
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && !exited_) kill(pid_, signal);
}

const std::string& ChildProcess::Output() {
  Pump(std::chrono::milliseconds(0));
  return output_;
}

const std::string& ChildProcess::Errors() {
  Pump(std::chrono::milliseconds(0));
  return errors_;
}

Finished RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& extraEnvironment) {
  ChildProcess child(program, arguments, extraEnvironment);
  const int code = child.WaitForExit(std::chrono::minutes(2));
  return {code, child.Output(), child.Errors()};
}

}  // namespace pacetta::testing
