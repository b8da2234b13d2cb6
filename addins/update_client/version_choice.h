#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pacetta::addins {

// What a version file on the update server says: the lowest program version the update
// applies to, and the version it brings.
struct OfferedUpdate {
  std::string versionFile;
  uint32_t lowest = 0;
  uint32_t brings = 0;
};

// The update for a program of version `current`: the one bringing the newest version
// among those that apply (lowest ≤ current < brings); the first listed wins a tie.
std::optional<OfferedUpdate> ChooseUpdate(std::span<const OfferedUpdate> offers, uint32_t current);

}  // namespace pacetta::addins
