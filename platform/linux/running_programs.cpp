#include "platform/linux/running_programs.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

namespace pacetta::linux_os {
namespace {

// The kernel's mark on the link of an executable whose file was removed or replaced.
constexpr std::string_view kDeletedMark = " (deleted)";

// The real user of a process: the first of the four ids on the "Uid:" line of its status.
std::optional<uid_t> RealUser(const SysfsRoot& root, const std::string& folder) {
  std::ifstream status(root.Path(folder + "status"));
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Uid:", 0) != 0) continue;
    std::istringstream ids(line.substr(4));
    std::string real;
    ids >> real;
    const auto id = ParseUnsigned(real);
    if (!id || *id > static_cast<uid_t>(-1)) return std::nullopt;
    return static_cast<uid_t>(*id);
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> RunningProgramNames(const SysfsRoot& root, uid_t user, size_t limit) {
  std::vector<std::string> names;
  for (const uint32_t pid : root.NumberedEntries("proc", "")) {
    if (names.size() >= limit) break;
    const std::string folder = "proc/" + std::to_string(pid) + "/";
    if (RealUser(root, folder) != user) continue;
    auto name = root.LinkName(folder + "exe");
    if (!name) continue;
    if (name->size() > kDeletedMark.size() && name->ends_with(kDeletedMark)) {
      name->resize(name->size() - kDeletedMark.size());
    }
    if (!name->empty()) names.push_back(std::move(*name));
  }
  return names;
}

}  // namespace pacetta::linux_os
