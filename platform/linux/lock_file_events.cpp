#include "platform/linux/lock_file_events.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>

#include "platform/linux/runtime_paths.h"

namespace pacetta::linux_os {
namespace {

class LockFileEvent final : public platform::NamedEvent {
 public:
  explicit LockFileEvent(int fd) : fd_(fd) {}
  ~LockFileEvent() override {
    if (fd_ >= 0) close(fd_);  // releases the lock
  }
  LockFileEvent(const LockFileEvent&) = delete;
  LockFileEvent& operator=(const LockFileEvent&) = delete;

  void Set() override {
    {
      std::lock_guard lock(mutex_);
      set_ = true;
    }
    changed_.notify_all();
  }
  void Reset() override {
    std::lock_guard lock(mutex_);
    set_ = false;
  }
  bool IsSet() override {
    std::lock_guard lock(mutex_);
    return set_;
  }
  bool Wait(std::chrono::milliseconds timeout) override {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return set_; });
  }

 private:
  int fd_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool set_ = false;
};

}  // namespace

std::unique_ptr<platform::NamedEvent> LockFileEvents::Create(const std::string& name,
                                                             bool& alreadyExisted) {
  alreadyExisted = false;
  const std::string path = MachineRuntimeFolder() + "/" + FileNameOf(name) + ".lock";
  // The folder is shared by every user: a name planted as a link must not make this
  // process open, let alone open up, a file elsewhere.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return nullptr;
  }
  // Other users must be able to test the lock too; only a file of this user's is changed.
  if (status.st_uid == geteuid()) fchmod(fd, 0666);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    if (!held) return nullptr;
    // As with a named event that exists already: a handle without ownership.
    alreadyExisted = true;
    return std::make_unique<LockFileEvent>(-1);
  }
  return std::make_unique<LockFileEvent>(fd);
}

}  // namespace pacetta::linux_os
