#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pacetta::linux_os {

// One entry of a folder listing that may be a plain file.
struct ListedEntry {
  std::string name;
  // Unknown when the listing does not say; the caller asks the server.
  std::optional<uint64_t> size;
};

// The entries of a machine listing (MLSD: "fact=value;... name" per line) that say they are
// plain files; folders and the links to the folder itself or its parent are left out.
std::vector<ListedEntry> ParseMachineListing(std::string_view text);
// The names of a name listing (NLST: one per line); what each one is remains open.
std::vector<ListedEntry> ParseNameListing(std::string_view text);

// True for a name that stays in the folder it came from when used as a file name: not
// empty, no separator of either kind, no "..", no control character, not too long.
bool IsPlainBaseName(std::string_view name);
// `name` with each control byte written as \xNN, safe for a log line.
std::string Printable(std::string_view name);

struct ScreenedEntries {
  std::vector<ListedEntry> accepted;
  std::vector<std::string> rejected;  // printable
};
// Keeps the entries with plain base names ending in `suffix` (ASCII case ignored); the
// names that are no plain base name are rejected whatever they end with.
ScreenedEntries ScreenEntries(std::vector<ListedEntry> entries, std::string_view suffix);

}  // namespace pacetta::linux_os
