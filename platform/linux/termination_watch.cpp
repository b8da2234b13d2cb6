#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/termination.h"

namespace pacetta::platform {
namespace {

class SignalWatch final : public TerminationWatch {
 public:
  SignalWatch(std::function<void()> onTerminate, const sigset_t& signals)
      : onTerminate_(std::move(onTerminate)),
        signalFd_(signalfd(-1, &signals, SFD_CLOEXEC)),
        wake_(eventfd(0, EFD_CLOEXEC)),
        thread_([this] { Watch(); }) {}

  ~SignalWatch() override {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wake_, &one, sizeof one);
    thread_.join();
    close(signalFd_);
    close(wake_);
  }
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

 private:
  void Watch() {
    for (;;) {
      pollfd fds[2] = {{signalFd_, POLLIN, 0}, {wake_, POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[1].revents) return;
      signalfd_siginfo info{};
      if (read(signalFd_, &info, sizeof info) == sizeof info) onTerminate_();
    }
  }

  std::function<void()> onTerminate_;
  int signalFd_;
  int wake_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<TerminationWatch> WatchTermination(std::function<void()> onTerminate) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return std::make_unique<SignalWatch>(std::move(onTerminate), signals);
}

}  // namespace pacetta::platform
