#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace pacetta::updates {

// The next bytes of a stream, put into `buffer`: how many (0 only at the stream's end), or
// nullopt when the stream cannot be read further.
using ChunkReader = std::function<std::optional<size_t>(std::span<uint8_t> buffer)>;

}  // namespace pacetta::updates
