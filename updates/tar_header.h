#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "updates/tar_fault.h"

namespace pacetta::updates {

inline constexpr size_t kTarBlock = 512;
using TarBlock = std::array<uint8_t, kTarBlock>;

// The fields of one ustar (POSIX or GNU) header block that an update needs.
struct TarHeader {
  std::string name;  // the prefix and name fields joined, as the header gives it
  char type = '0';
  uint64_t size = 0;
  uint32_t mode = 0;
};

// Parses a header block, checking its magic, checksum and numbers; nullopt with `fault`
// set when the block is not a sound header. The caller has already seen that it is not a
// zero block.
std::optional<TarHeader> ParseTarHeader(const TarBlock& block, TarFault& fault);

// The value of a numeric field: octal digits (between optional spaces, ended by NUL or
// space), or GNU base-256 (first byte 0x80) for values too large for octal.
enum class NumberParse { kOk, kNotANumber, kOverflow };
NumberParse ParseTarNumber(std::string_view field, uint64_t& value);

}  // namespace pacetta::updates
