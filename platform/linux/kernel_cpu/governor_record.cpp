#include "platform/linux/kernel_cpu/governor_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <sstream>

#include "platform/linux/helper_socket.h"
#include "platform/linux/runtime_paths.h"

namespace pacetta::linux_os {
namespace {

// A governor name as the kernel spells them: short, lower-case letters, digits, '_'.
bool PlausibleName(const std::string& name) {
  if (name.empty() || name.size() > 15) return false;
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

std::vector<platform::TakenGovernor> GovernorRecord::Read() const {
  const UniqueFd file(open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (!file.Valid() || fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
  if (info.st_uid != getuid() && info.st_uid != 0) return {};
  std::string text;
  char buffer[1024];
  for (;;) {
    const ssize_t got = read(file.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return {};
    if (got == 0 || text.size() > 65536) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  std::vector<platform::TakenGovernor> taken;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    platform::TakenGovernor entry;
    std::string extra;
    if (!(words >> entry.id >> entry.governor) || (words >> extra) ||
        !PlausibleName(entry.governor)) {
      return {};
    }
    taken.push_back(std::move(entry));
  }
  return taken;
}

bool GovernorRecord::Write(const std::vector<platform::TakenGovernor>& taken) const {
  if (taken.empty()) return unlink(path_.c_str()) == 0 || errno == ENOENT;
  std::ostringstream text;
  for (const auto& entry : taken) {
    if (!PlausibleName(entry.governor)) return false;
    text << entry.id << ' ' << entry.governor << '\n';
  }
  std::string aside = path_ + ".XXXXXX";
  const UniqueFd file(mkostemp(aside.data(), O_CLOEXEC));
  if (!file.Valid()) return false;
  const bool written = fchmod(file.Get(), 0644) == 0 && WriteAll(file.Get(), text.str()) &&
                       fsync(file.Get()) == 0 && std::rename(aside.c_str(), path_.c_str()) == 0;
  if (!written) unlink(aside.c_str());
  return written;
}

std::string MachineGovernorRecordPath() {
  return MachineRuntimeFolder() + "/cpufreq-governors";
}

}  // namespace pacetta::linux_os
