#include "platform/sim/driver/trace_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace pacetta::sim {
namespace {

std::string Describe(int error) {
  return std::system_category().message(error);
}

bool WriteAll(int fd, std::string_view text, int& failure) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failure = n < 0 ? errno : EIO;
      return false;
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// A pipe whose reader has gone raises SIGPIPE at the writer, which would end the
// program: the signal is held back on this thread for the write, and the one the write
// raised is taken before the thread's mask is restored.
bool WriteHoldingSigpipe(int fd, std::string_view text, int& failure) {
  sigset_t sigpipe;
  sigemptyset(&sigpipe);
  sigaddset(&sigpipe, SIGPIPE);
  sigset_t pending;
  sigpending(&pending);
  const bool pendingBefore = sigismember(&pending, SIGPIPE) == 1;
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &sigpipe, &previous);
  const bool written = WriteAll(fd, text, failure);
  if (!written && failure == EPIPE && !pendingBefore) {
    const timespec now{};
    while (sigtimedwait(&sigpipe, nullptr, &now) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return written;
}

}  // namespace

std::unique_ptr<TraceFile> TraceFile::Open(const std::string& path, std::string& error,
                                           std::string_view what) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    const int failure = errno;
    error = "cannot open the " + std::string(what) + " " + path + ": " + Describe(failure);
    return nullptr;
  }
  struct stat about {};
  const bool pipe =
      ::fstat(fd, &about) == 0 && (S_ISFIFO(about.st_mode) || S_ISSOCK(about.st_mode));
  return std::make_unique<TraceFile>(fd, pipe);
}

TraceFile::~TraceFile() {
  ::close(fd_);
}

bool TraceFile::Append(std::string_view text, std::string& error) {
  int failure = 0;
  const bool written =
      pipe_ ? WriteHoldingSigpipe(fd_, text, failure) : WriteAll(fd_, text, failure);
  if (!written) error = Describe(failure);
  return written;
}

}  // namespace pacetta::sim
