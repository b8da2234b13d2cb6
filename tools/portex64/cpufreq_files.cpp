#include "tools/portex64/cpufreq_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/linux/helper_socket.h"

namespace pacetta::portex {
namespace {

using linux_os::UniqueFd;

// The folder `path` below `folder`, every component opened without following links.
UniqueFd OpenFolder(int folder, std::initializer_list<const char*> path) {
  UniqueFd current(fcntl(folder, F_DUPFD_CLOEXEC, 0));
  for (const char* name : path) {
    if (!current.Valid()) break;
    current.Reset(openat(current.Get(), name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }
  return current;
}

UniqueFd OpenRegular(int folder, const char* name, int mode) {
  UniqueFd file(openat(folder, name, mode | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat info {};
  if (file.Valid() && (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))) file.Reset();
  return file;
}

std::optional<std::string> ReadText(int folder, const char* name) {
  const UniqueFd file = OpenRegular(folder, name, O_RDONLY);
  if (!file.Valid()) return std::nullopt;
  char buffer[4096];
  ssize_t got;
  do {
    got = read(file.Get(), buffer, sizeof buffer);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return std::nullopt;
  return std::string(buffer, static_cast<size_t>(got));
}

std::optional<uint64_t> ReadNumber(int folder, const char* name) {
  const auto text = ReadText(folder, name);
  if (!text) return std::nullopt;
  std::istringstream stream(*text);
  uint64_t value = 0;
  if (!(stream >> value)) return std::nullopt;
  return value;
}

UniqueFd OpenForWriting(int folder, const char* name) {
  return OpenRegular(folder, name, O_WRONLY);
}

// sysfs takes an attribute in one write. Truncating, as a shell's `>` does, means
// nothing to sysfs; an ordinary file standing in for it must lose its old, longer text.
bool WriteText(const UniqueFd& file, const std::string& text) {
  if (!file.Valid()) return false;
  [[maybe_unused]] const int truncated = ftruncate(file.Get(), 0);
  ssize_t put;
  do {
    put = write(file.Get(), text.data(), text.size());
  } while (put < 0 && errno == EINTR);
  return put == static_cast<ssize_t>(text.size());
}

bool WriteText(int folder, const char* name, const std::string& text) {
  return WriteText(OpenForWriting(folder, name), text);
}

std::string Failure(const char* what, const char* file) {
  return std::string(what) + " " + file + ": " + std::strerror(errno);
}

// sys/devices/system/cpu under the root, opened afresh for every request: the helper
// keeps no view of the policies between them.
UniqueFd OpenCpuFolder(const std::string& root) {
  UniqueFd top(open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!top.Valid()) return top;
  return OpenFolder(top.Get(), {"sys", "devices", "system", "cpu"});
}

UniqueFd OpenPolicy(const std::string& root, uint32_t policy) {
  const UniqueFd cpu = OpenCpuFolder(root);
  if (!cpu.Valid()) return UniqueFd();
  const std::string name = "policy" + std::to_string(policy);
  return OpenFolder(cpu.Get(), {"cpufreq", name.c_str()});
}

}  // namespace

std::string CpufreqFiles::PaddedText(const uint8_t* bytes, size_t size) {
  size_t length = 0;
  while (length < size && bytes[length] != 0) {
    if (bytes[length] <= 0x20 || bytes[length] >= 0x7F) return {};
    ++length;
  }
  for (size_t i = length; i < size; ++i) {
    if (bytes[i] != 0) return {};
  }
  return std::string(reinterpret_cast<const char*>(bytes), length);
}

std::string CpufreqFiles::SetLimits(uint32_t policy, uint32_t minKhz, uint32_t maxKhz) {
  const std::lock_guard lock(mutex_);
  const std::string which = "policy" + std::to_string(policy);
  const UniqueFd folder = OpenPolicy(root_, policy);
  if (!folder.Valid()) return "no frequency " + which;
  const auto lowest = ReadNumber(folder.Get(), "cpuinfo_min_freq");
  const auto highest = ReadNumber(folder.Get(), "cpuinfo_max_freq");
  const auto currentMax = ReadNumber(folder.Get(), "scaling_max_freq");
  if (!lowest || !highest || !currentMax) return which + " shows no hardware limits";
  if (minKhz < *lowest || minKhz > maxKhz || maxKhz > *highest) {
    return which + " limits " + std::to_string(minKhz) + ".." + std::to_string(maxKhz) +
           " kHz outside " + std::to_string(*lowest) + ".." + std::to_string(*highest) +
           " kHz or reversed";
  }
  // Raising the floor above the present ceiling needs the ceiling raised first; in every
  // other case the floor goes first.
  const bool maxFirst = minKhz > *currentMax;
  const char* first = maxFirst ? "scaling_max_freq" : "scaling_min_freq";
  const char* second = maxFirst ? "scaling_min_freq" : "scaling_max_freq";
  // Both files are opened before either is written, so that one that may not be
  // written (a link, a missing file) leaves the policy as it was.
  const UniqueFd firstFile = OpenForWriting(folder.Get(), first);
  const UniqueFd secondFile = OpenForWriting(folder.Get(), second);
  if (!firstFile.Valid()) return Failure("cannot open", first);
  if (!secondFile.Valid()) return Failure("cannot open", second);
  if (!WriteText(firstFile, std::to_string(maxFirst ? maxKhz : minKhz) + "\n")) {
    return Failure("cannot write", first);
  }
  if (!WriteText(secondFile, std::to_string(maxFirst ? minKhz : maxKhz) + "\n")) {
    return Failure("cannot write", second);
  }
  return {};
}

std::string CpufreqFiles::SetEnergyPreference(uint32_t policy, const std::string& preference) {
  const std::lock_guard lock(mutex_);
  const std::string which = "policy" + std::to_string(policy);
  if (preference.empty()) return "unprintable or empty energy preference";
  const UniqueFd folder = OpenPolicy(root_, policy);
  if (!folder.Valid()) return "no frequency " + which;
  const auto offered = ReadText(folder.Get(), "energy_performance_available_preferences");
  if (!offered) return which + " has no energy preferences";
  std::istringstream words(*offered);
  bool known = false;
  for (std::string word; !known && words >> word;) known = word == preference;
  if (!known) return which + " does not offer the energy preference " + preference;
  if (!WriteText(folder.Get(), "energy_performance_preference", preference + "\n")) {
    return Failure("cannot write", "energy_performance_preference");
  }
  return {};
}

std::string CpufreqFiles::SetGovernor(uint32_t policy, const std::string& governor) {
  const std::lock_guard lock(mutex_);
  const std::string which = "policy" + std::to_string(policy);
  if (governor.empty()) return "unprintable or empty governor";
  const UniqueFd folder = OpenPolicy(root_, policy);
  if (!folder.Valid()) return "no frequency " + which;
  const auto offered = ReadText(folder.Get(), "scaling_available_governors");
  if (!offered) return which + " lists no governors";
  std::istringstream words(*offered);
  bool known = false;
  for (std::string word; !known && words >> word;) known = word == governor;
  if (!known) return which + " does not offer the governor " + governor;
  if (!WriteText(folder.Get(), "scaling_governor", governor + "\n")) {
    return Failure("cannot write", "scaling_governor");
  }
  return {};
}

std::string CpufreqFiles::SetBoost(uint32_t on) {
  const std::lock_guard lock(mutex_);
  if (on > 1) return "boost value " + std::to_string(on) + " is neither 0 nor 1";
  const UniqueFd cpu = OpenCpuFolder(root_);
  if (!cpu.Valid()) return "no processor folder";
  // cpufreq/boost where the driver offers it; intel_pstate has its inverse instead.
  const UniqueFd cpufreq = OpenFolder(cpu.Get(), {"cpufreq"});
  if (cpufreq.Valid() && ReadNumber(cpufreq.Get(), "boost")) {
    if (WriteText(cpufreq.Get(), "boost", std::to_string(on) + "\n")) return {};
    return Failure("cannot write", "boost");
  }
  const UniqueFd pstate = OpenFolder(cpu.Get(), {"intel_pstate"});
  if (pstate.Valid() && ReadNumber(pstate.Get(), "no_turbo")) {
    if (WriteText(pstate.Get(), "no_turbo", std::to_string(1 - on) + "\n")) return {};
    return Failure("cannot write", "no_turbo");
  }
  return "no boost switch";
}

}  // namespace pacetta::portex
