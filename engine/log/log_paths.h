#pragma once
#include <string>

namespace pacetta {

// The current log in `folder` (the program's folder, without a trailing separator).
std::string CurrentLogPath(const std::string& folder);
// Archive number `number` (0 to 998) in `folder`.
std::string ArchivedLogPath(const std::string& folder, unsigned number);

inline constexpr unsigned kLastArchiveNumber = 998;

}  // namespace pacetta
