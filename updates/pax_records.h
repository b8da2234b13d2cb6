#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "updates/tar_fault.h"

namespace pacetta::updates {

// What a pax extended header says about the entry that follows it. Only the name and the
// size matter to an update; the other keywords (times, owners, link targets) are ignored.
struct PaxOverrides {
  std::optional<std::string> path;
  std::optional<uint64_t> size;
};

// Parses the records "<length> <keyword>=<value>\n" of a pax header's data into
// `overrides` (later records win); false with `fault` set when a record is malformed.
bool ParsePaxRecords(std::string_view data, PaxOverrides& overrides, TarFault& fault);

}  // namespace pacetta::updates
