#pragma once
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <string>

#include "platform/linux/helper_socket.h"
#include "tools/portex64/cpufreq_files.h"
#include "tools/portex64/helper_options.h"

namespace pacetta::portex {

using linux_os::UniqueFd;

// The hardware behind the requests: /dev/cpu/N/msr, /dev/port, /dev/mem and the PCI
// configuration files of sysfs, or ordinary files standing in for them. Callers check
// the access policy first; this class only performs accesses.
class HardwareFiles {
 public:
  explicit HardwareFiles(const HelperOptions& options);
  HardwareFiles(const HardwareFiles&) = delete;
  HardwareFiles& operator=(const HardwareFiles&) = delete;

  // On processor `cpu`: the msr driver reads and writes at the register's index.
  bool ReadMsr(unsigned cpu, uint32_t index, uint64_t& value);
  bool WriteMsr(unsigned cpu, uint32_t index, uint64_t value);

  bool ReadPort(uint32_t port, unsigned width, uint32_t& value);
  bool WritePort(uint32_t port, unsigned width, uint32_t value);
  // Lets this process (and the threads it starts afterwards) issue port instructions of
  // more than one byte at [port, port + width): /dev/port can only move single bytes.
  void GrantWidePortAccess(uint32_t port, unsigned width);

  // Bus 0 configuration space. An absent function reads as all ones and ignores
  // writes, as the hardware does.
  bool ReadConfig(uint32_t devfn, uint32_t offset, unsigned width, uint32_t& value);
  bool WriteConfig(uint32_t devfn, uint32_t offset, unsigned width, uint32_t value);
  // The path of a bus 0 function's configuration file.
  std::string ConfigPath(uint32_t devfn) const;

  // A sealed memory file holding a copy of physical memory [address, address + length).
  // One copy per range serves every request for it (the BIOS area does not change while
  // the machine runs); the most recent kCopiedRanges ranges are kept.
  UniqueFd CopyMemory(uint32_t address, uint32_t length);
  static constexpr size_t kCopiedRanges = 8;

  // The kernel's frequency policy files; they check their requests themselves.
  CpufreqFiles& Cpufreq() { return cpufreq_; }

 private:
  int MsrFile(unsigned cpu);

  HelperOptions options_;
  std::mutex msrMutex_;
  std::map<unsigned, UniqueFd> msrFiles_;
  UniqueFd portFile_;
  bool portIsDevice_ = false;
  bool widePortsGranted_ = false;
  std::mutex copiesMutex_;
  std::list<std::pair<std::pair<uint32_t, uint32_t>, UniqueFd>> copies_;  // newest first
  CpufreqFiles cpufreq_;
};

}  // namespace pacetta::portex
