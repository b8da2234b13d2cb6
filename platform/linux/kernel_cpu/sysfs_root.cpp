#include "platform/linux/kernel_cpu/sysfs_root.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pacetta::linux_os {
namespace {

namespace fs = std::filesystem;

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

}  // namespace

std::optional<uint64_t> ParseUnsigned(const std::string& text) {
  if (!AllDigits(text)) return std::nullopt;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
  if (errno == ERANGE) return std::nullopt;
  return value;
}

SysfsRoot::SysfsRoot(std::string root) : root_(std::move(root)) {
  if (root_.empty() || root_.back() != '/') root_ += '/';
}

std::string SysfsRoot::Path(const std::string& relative) const {
  return root_ + relative;
}

std::optional<std::string> SysfsRoot::Line(const std::string& relative) const {
  std::ifstream file(Path(relative));
  std::string line;
  if (!file) return std::nullopt;
  // An empty file is readable and holds an empty line (an unset label, for one).
  if (!std::getline(file, line) && !file.eof()) return std::nullopt;
  const auto first = std::find_if_not(line.begin(), line.end(), IsBlank);
  const auto last = std::find_if_not(line.rbegin(), line.rend(), IsBlank).base();
  return first < last ? std::string(first, last) : std::string();
}

std::optional<uint64_t> SysfsRoot::Unsigned(const std::string& relative) const {
  const auto line = Line(relative);
  return line ? ParseUnsigned(*line) : std::nullopt;
}

std::optional<int64_t> SysfsRoot::Signed(const std::string& relative) const {
  const auto line = Line(relative);
  if (!line) return std::nullopt;
  const bool negative = !line->empty() && line->front() == '-';
  const auto magnitude = ParseUnsigned(negative ? line->substr(1) : *line);
  if (!magnitude || *magnitude > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
  const auto value = static_cast<int64_t>(*magnitude);
  return negative ? -value : value;
}

std::optional<std::vector<std::string>> SysfsRoot::Words(const std::string& relative) const {
  const auto line = Line(relative);
  if (!line) return std::nullopt;
  std::istringstream stream(*line);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

std::vector<uint32_t> SysfsRoot::NumberedEntries(const std::string& folder,
                                                 const std::string& prefix) const {
  std::vector<uint32_t> numbers;
  for (const std::string& name : Entries(folder)) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const auto number = ParseUnsigned(name.substr(prefix.size()));
    if (number && *number <= UINT32_MAX) numbers.push_back(static_cast<uint32_t>(*number));
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::vector<std::string> SysfsRoot::Entries(const std::string& folder) const {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(Path(folder), error), end; !error && it != end;
       it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> SysfsRoot::LinkName(const std::string& relative) const {
  std::error_code error;
  const fs::path target = fs::read_symlink(Path(relative), error);
  if (error) return std::nullopt;
  fs::path name = target.filename();
  if (name.empty()) name = target.parent_path().filename();  // a target ending with '/'
  return name.string();
}

bool SysfsRoot::Exists(const std::string& relative) const {
  std::error_code error;
  return fs::exists(Path(relative), error);
}

}  // namespace pacetta::linux_os
