#include "updates/entry_name.h"

namespace pacetta::updates {

std::optional<std::string> NormaliseEntryName(std::string_view name, TarProblem& problem) {
  const auto refuse = [&problem](TarProblem why) {
    problem = why;
    return std::nullopt;
  };
  if (name.empty()) return refuse(TarProblem::kEmptyName);
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return refuse(TarProblem::kControlCharacter);
    // A backslash separates folders elsewhere, so such a name means something else there.
    if (c == '\\') return refuse(TarProblem::kBackslash);
  }
  if (name.front() == '/') return refuse(TarProblem::kAbsoluteName);
  std::string normalised;
  while (!name.empty()) {
    const size_t slash = name.find('/');
    const std::string_view part = name.substr(0, slash);
    name.remove_prefix(slash == std::string_view::npos ? name.size() : slash + 1);
    if (part == "..") return refuse(TarProblem::kParentComponent);
    if (part.empty() || part == ".") continue;
    if (part.size() > kMaxEntryName) return refuse(TarProblem::kNameTooLong);
    if (!normalised.empty()) normalised += '/';
    normalised += part;
  }
  if (normalised.size() > kMaxEntryName) return refuse(TarProblem::kNameTooLong);
  return normalised;
}

}  // namespace pacetta::updates
