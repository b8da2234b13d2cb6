#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/sim/driver/service_store.h"

namespace pacetta::sim {
namespace {

// An open descriptor that holds an exclusive flock until it is closed.
class LockedFile {
 public:
  explicit LockedFile(const std::filesystem::path& path)
      : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ < 0) return;
    int result;
    do {
      result = ::flock(fd_, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~LockedFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  bool Held() const { return fd_ >= 0; }

 private:
  int fd_;
};

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Writes a sibling file and renames it over the state, so readers see the old or the
// new table, never a part of one.
bool ReplaceFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace

FileServiceStore::FileServiceStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

bool FileServiceStore::Update(const std::function<void(ServiceTable&)>& change) {
  std::lock_guard threadLock(mutex_);
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  LockedFile lock(folder_ / "services.lock");
  if (!lock.Held()) return false;

  const std::string before = ReadWholeFile(StatePath());
  // A missing, truncated or foreign file starts a fresh state.
  ServiceTable table = ParseServiceTable(before).value_or(ServiceTable{});
  change(table);
  const std::string after = SerializeServiceTable(table);
  // A change that could not be kept did not happen.
  return after == before || ReplaceFile(StatePath(), after);
}

}  // namespace pacetta::sim
