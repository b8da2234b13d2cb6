#include "engine/profiles/pstates_data.h"

#include <algorithm>

namespace pacetta {

namespace {
constexpr size_t kMaxStoredBytes = kPStateRecordSize * kMaxPStates;  // 256
}

std::optional<PStateTable> UnpackPStatesData(std::span<const uint8_t> bytes) {
  const size_t rowCount = std::min(bytes.size(), kMaxStoredBytes) / kPStateRecordSize;
  if (rowCount == 0) return std::nullopt;
  PStateTable table;
  for (size_t i = 0; i < rowCount; ++i) {
    const uint8_t* record = bytes.data() + i * kPStateRecordSize;
    table.rows[i] =
        PState{record[0], record[1], record[2] != 0 ? 1u : 0u, static_cast<int8_t>(record[3])};
  }
  table.lastIndex = static_cast<int32_t>(rowCount) - 1;
  return table;
}

std::vector<uint8_t> PackPStatesData(const PStateTable& table) {
  std::vector<uint8_t> bytes;
  const int32_t count = std::clamp(table.Count(), 0, kMaxPStates);
  bytes.reserve(static_cast<size_t>(count) * kPStateRecordSize);
  for (int32_t i = 0; i < count; ++i) {
    const PState& row = table.rows[static_cast<size_t>(i)];
    bytes.push_back(static_cast<uint8_t>(row.fid));
    bytes.push_back(static_cast<uint8_t>(row.vid));
    bytes.push_back(row.enabled != 0 ? 1 : 0);
    bytes.push_back(static_cast<uint8_t>(row.flags));
  }
  return bytes;
}

}  // namespace pacetta
