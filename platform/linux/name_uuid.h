#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pacetta::linux_os {

// A UUID in its wire order: the 16 bytes as its text form spells them.
using Uuid = std::array<uint8_t, 16>;

// The SHA-1 digest of `data`.
std::array<uint8_t, 20> Sha1(std::string_view data);

// The name-based UUID (version 5) of `name` within `space`: the first 16 bytes of the
// SHA-1 of the namespace's bytes followed by the name, with version and variant set.
// The same name always gives the same UUID, on every machine.
Uuid NameUuid(const Uuid& space, std::string_view name);

// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" in lower case, and back (nullopt for other text).
std::string FormatUuid(const Uuid& uuid);
std::optional<Uuid> ParseUuid(std::string_view text);

}  // namespace pacetta::linux_os
