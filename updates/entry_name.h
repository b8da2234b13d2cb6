#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "updates/tar_fault.h"

namespace pacetta::updates {

inline constexpr size_t kMaxEntryName = 255;

// The name an archive gives an entry, made safe to create below the package folder:
// '/'-separated, relative, with "." and empty components dropped ("./bin/" -> "bin").
// Refused with the problem for empty, absolute or over-long names, ".." components,
// backslashes and control characters. The result is empty only for the package folder
// itself ("./").
std::optional<std::string> NormaliseEntryName(std::string_view name, TarProblem& problem);

}  // namespace pacetta::updates
