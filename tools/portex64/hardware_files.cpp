#include "tools/portex64/hardware_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define PORTEX_HAS_PORT_INSTRUCTIONS 1
#endif

namespace pacetta::portex {
namespace {

// The msr driver has one node per possible processor; nothing beyond this is a CPU.
constexpr unsigned kMaxProcessors = 4096;

bool ReadAt(int fd, void* data, size_t size, off_t offset) {
  ssize_t got;
  do {
    got = pread(fd, data, size, offset);
  } while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(size);
}

bool WriteAt(int fd, const void* data, size_t size, off_t offset) {
  ssize_t put;
  do {
    put = pwrite(fd, data, size, offset);
  } while (put < 0 && errno == EINTR);
  return put == static_cast<ssize_t>(size);
}

uint32_t AllOnes(unsigned width) {
  return width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

}  // namespace

HardwareFiles::HardwareFiles(const HelperOptions& options)
    : options_(options), cpufreq_(options.sysRoot) {
  portFile_.Reset(open(options_.portFile.c_str(), O_RDWR | O_CLOEXEC));
  struct stat info {};
  portIsDevice_ = portFile_.Valid() && fstat(portFile_.Get(), &info) == 0 && S_ISCHR(info.st_mode);
}

int HardwareFiles::MsrFile(unsigned cpu) {
  if (cpu >= kMaxProcessors) return -1;
  const std::lock_guard lock(msrMutex_);
  auto found = msrFiles_.find(cpu);
  if (found != msrFiles_.end()) return found->second.Get();
  const std::string path = options_.msrDir + "/" + std::to_string(cpu) + "/msr";
  UniqueFd file(open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (!file.Valid()) return -1;  // not cached: the module may be loaded later
  const int fd = file.Get();
  msrFiles_.emplace(cpu, std::move(file));
  return fd;
}

bool HardwareFiles::ReadMsr(unsigned cpu, uint32_t index, uint64_t& value) {
  const int fd = MsrFile(cpu);
  return fd >= 0 && ReadAt(fd, &value, sizeof value, static_cast<off_t>(index));
}

bool HardwareFiles::WriteMsr(unsigned cpu, uint32_t index, uint64_t value) {
  const int fd = MsrFile(cpu);
  return fd >= 0 && WriteAt(fd, &value, sizeof value, static_cast<off_t>(index));
}

void HardwareFiles::GrantWidePortAccess(uint32_t port, unsigned width) {
#ifdef PORTEX_HAS_PORT_INSTRUCTIONS
  if (portIsDevice_ && ioperm(port, width, 1) == 0) widePortsGranted_ = true;
#else
  (void)port;
  (void)width;
#endif
}

bool HardwareFiles::ReadPort(uint32_t port, unsigned width, uint32_t& value) {
  if (!portFile_.Valid()) return false;
  if (portIsDevice_ && width > 1) {
    // /dev/port would split the access into single bytes at consecutive ports, which
    // is a different bus cycle; the register needs one access of its full width.
#ifdef PORTEX_HAS_PORT_INSTRUCTIONS
    if (!widePortsGranted_) return false;
    value = width == 2 ? inw(static_cast<uint16_t>(port)) : inl(static_cast<uint16_t>(port));
    return true;
#else
    return false;
#endif
  }
  value = 0;
  return ReadAt(portFile_.Get(), &value, width, static_cast<off_t>(port));
}

bool HardwareFiles::WritePort(uint32_t port, unsigned width, uint32_t value) {
  if (!portFile_.Valid()) return false;
  if (portIsDevice_ && width > 1) {
#ifdef PORTEX_HAS_PORT_INSTRUCTIONS
    if (!widePortsGranted_) return false;
    if (width == 2) {
      outw(static_cast<uint16_t>(value), static_cast<uint16_t>(port));
    } else {
      outl(value, static_cast<uint16_t>(port));
    }
    return true;
#else
    return false;
#endif
  }
  return WriteAt(portFile_.Get(), &value, width, static_cast<off_t>(port));
}

std::string HardwareFiles::ConfigPath(uint32_t devfn) const {
  char name[32];
  std::snprintf(name, sizeof name, "/0000:00:%02x.%x/config", devfn >> 3, devfn & 7);
  return options_.pciDir + name;
}

bool HardwareFiles::ReadConfig(uint32_t devfn, uint32_t offset, unsigned width, uint32_t& value) {
  UniqueFd file(open(ConfigPath(devfn).c_str(), O_RDONLY | O_CLOEXEC));
  value = 0;
  if (!file.Valid()) {
    if (errno != ENOENT) return false;
    value = AllOnes(width);  // no such function: the bus answers all ones
    return true;
  }
  if (!ReadAt(file.Get(), &value, width, static_cast<off_t>(offset))) value = AllOnes(width);
  return true;
}

bool HardwareFiles::WriteConfig(uint32_t devfn, uint32_t offset, unsigned width, uint32_t value) {
  UniqueFd file(open(ConfigPath(devfn).c_str(), O_WRONLY | O_CLOEXEC));
  if (!file.Valid()) return errno == ENOENT;  // nobody there to take the write
  return WriteAt(file.Get(), &value, width, static_cast<off_t>(offset));
}

UniqueFd HardwareFiles::CopyMemory(uint32_t address, uint32_t length) {
  const std::lock_guard lock(copiesMutex_);
  const std::pair range{address, length};
  for (auto it = copies_.begin(); it != copies_.end(); ++it) {
    if (it->first != range) continue;
    copies_.splice(copies_.begin(), copies_, it);
    return UniqueFd(fcntl(it->second.Get(), F_DUPFD_CLOEXEC, 0));
  }
  UniqueFd source(open(options_.memFile.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.Valid()) return UniqueFd();
  std::vector<char> bytes(length);
  if (!ReadAt(source.Get(), bytes.data(), bytes.size(), static_cast<off_t>(address))) {
    return UniqueFd();
  }
  UniqueFd copy(memfd_create("Portex64-memory", MFD_CLOEXEC | MFD_ALLOW_SEALING));
  if (!copy.Valid() || !WriteAt(copy.Get(), bytes.data(), bytes.size(), 0)) return UniqueFd();
  // The clients map it shared and read-only; the seals keep anyone from changing it.
  if (fcntl(copy.Get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) !=
      0) {
    return UniqueFd();
  }
  UniqueFd answer(fcntl(copy.Get(), F_DUPFD_CLOEXEC, 0));
  copies_.emplace_front(range, std::move(copy));
  if (copies_.size() > kCopiedRanges) copies_.pop_back();
  return answer;
}

}  // namespace pacetta::portex
