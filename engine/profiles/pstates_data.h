#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/profiles/pstate_table.h"

namespace pacetta {

// "PStatesData": 4 bytes per row in table order (fid, vid, enabled, flags as a signed
// byte), length 4 x (last index + 1). At most 256 bytes are read; a trailing partial row
// is ignored.
inline constexpr size_t kPStateRecordSize = 4;

// Nullopt when the bytes hold no whole row: the caller then rebuilds the table from the
// processor. The rows are taken as stored; judging them against the processor is
// DisableRowsNotOffered's job.
std::optional<PStateTable> UnpackPStatesData(std::span<const uint8_t> bytes);
std::vector<uint8_t> PackPStatesData(const PStateTable& table);

}  // namespace pacetta
