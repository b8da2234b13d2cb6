#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pacetta::linux_os {

// The folder under which the kernel's files are read: "/" on a real machine, a fake tree
// in tests. Paths handed in are relative to it ("sys/devices/system/cpu/...").
class SysfsRoot {
 public:
  explicit SysfsRoot(std::string root = "/");

  // `relative` under the root.
  std::string Path(const std::string& relative) const;
  // The first line of a file without surrounding blanks; nullopt when unreadable.
  std::optional<std::string> Line(const std::string& relative) const;
  // A decimal number that fills the whole first line; nullopt otherwise.
  std::optional<uint64_t> Unsigned(const std::string& relative) const;
  std::optional<int64_t> Signed(const std::string& relative) const;
  // The blank-separated words of the first line; nullopt when unreadable.
  std::optional<std::vector<std::string>> Words(const std::string& relative) const;
  // The numbers N of the entries `prefix`N in a folder, ascending; empty when it cannot
  // be listed. Entries whose tail is not a plain number ("cpufreq", "cpuidle") are skipped.
  std::vector<uint32_t> NumberedEntries(const std::string& folder, const std::string& prefix) const;
  // The names in a folder, sorted; empty when it cannot be listed.
  std::vector<std::string> Entries(const std::string& folder) const;
  // The last component of where a symbolic link points; nullopt when it is none.
  std::optional<std::string> LinkName(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::string root_;  // ends with '/'
};

// A plain decimal number filling all of `text`.
std::optional<uint64_t> ParseUnsigned(const std::string& text);

}  // namespace pacetta::linux_os
