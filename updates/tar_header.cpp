#include "updates/tar_header.h"

#include <limits>

namespace pacetta::updates {
namespace {

// Offsets and widths of the ustar header fields (POSIX.1-1988, "ustar Interchange Format").
constexpr size_t kNameAt = 0, kNameWidth = 100;
constexpr size_t kModeAt = 100, kModeWidth = 8;
constexpr size_t kSizeAt = 124, kSizeWidth = 12;
constexpr size_t kChecksumAt = 148, kChecksumWidth = 8;
constexpr size_t kTypeAt = 156;
constexpr size_t kMagicAt = 257;
constexpr size_t kPrefixAt = 345, kPrefixWidth = 155;

std::string_view Field(const TarBlock& block, size_t at, size_t width) {
  return {reinterpret_cast<const char*>(block.data()) + at, width};
}

// A text field: up to its first NUL, or the whole width.
std::string_view TextField(const TarBlock& block, size_t at, size_t width) {
  const std::string_view field = Field(block, at, width);
  return field.substr(0, field.find('\0'));
}

// POSIX writers put "ustar\0" and version "00"; GNU tar "ustar " and " \0".
enum class Magic { kNone, kPosix, kGnu };
Magic MagicOf(const TarBlock& block) {
  const std::string_view magic = Field(block, kMagicAt, 8);
  if (magic.substr(0, 6) == std::string_view("ustar\0", 6)) return Magic::kPosix;
  if (magic == std::string_view("ustar  \0", 8)) return Magic::kGnu;
  return Magic::kNone;
}

// Historic writers summed the bytes as signed chars; both sums are accepted, as tar does.
bool ChecksumMatches(const TarBlock& block, uint64_t recorded) {
  int64_t unsignedSum = 0, signedSum = 0;
  for (size_t i = 0; i < kTarBlock; ++i) {
    const bool inField = i >= kChecksumAt && i < kChecksumAt + kChecksumWidth;
    const uint8_t byte = inField ? ' ' : block[i];
    unsignedSum += byte;
    signedSum += static_cast<int8_t>(byte);
  }
  return static_cast<int64_t>(recorded) == unsignedSum ||
         static_cast<int64_t>(recorded) == signedSum;
}

}  // namespace

NumberParse ParseTarNumber(std::string_view field, uint64_t& value) {
  value = 0;
  if (!field.empty() && (static_cast<uint8_t>(field[0]) & 0x80) != 0) {
    // Base-256: the first byte's low bits and every following byte, big-endian. A first
    // byte of 0xFF marks a negative number, which no size or mode can be.
    if (static_cast<uint8_t>(field[0]) != 0x80) return NumberParse::kNotANumber;
    for (const char c : field.substr(1)) {
      if (value > (std::numeric_limits<uint64_t>::max() >> 8)) return NumberParse::kOverflow;
      value = (value << 8) | static_cast<uint8_t>(c);
    }
    return NumberParse::kOk;
  }
  size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '7'; ++i) {
    if (value > (std::numeric_limits<uint64_t>::max() >> 3)) return NumberParse::kOverflow;
    value = (value << 3) | static_cast<uint64_t>(field[i] - '0');
  }
  for (; i < field.size(); ++i) {
    if (field[i] != ' ' && field[i] != '\0') return NumberParse::kNotANumber;
  }
  return NumberParse::kOk;
}

std::optional<TarHeader> ParseTarHeader(const TarBlock& block, TarFault& fault) {
  const Magic magic = MagicOf(block);
  if (magic == Magic::kNone) {
    fault = {TarProblem::kNotTar, "", "no ustar magic"};
    return std::nullopt;
  }
  TarHeader header;
  // GNU tar keeps other fields where POSIX has the name prefix.
  const std::string_view prefix =
      magic == Magic::kPosix ? TextField(block, kPrefixAt, kPrefixWidth) : std::string_view();
  header.name = std::string(TextField(block, kNameAt, kNameWidth));
  if (!prefix.empty()) header.name = std::string(prefix) + "/" + header.name;
  header.type = static_cast<char>(block[kTypeAt]);

  uint64_t checksum = 0;
  if (ParseTarNumber(Field(block, kChecksumAt, kChecksumWidth), checksum) != NumberParse::kOk ||
      !ChecksumMatches(block, checksum)) {
    fault = {TarProblem::kChecksum, header.name, ""};
    return std::nullopt;
  }
  uint64_t mode = 0;
  if (ParseTarNumber(Field(block, kModeAt, kModeWidth), mode) != NumberParse::kOk) {
    fault = {TarProblem::kBadNumber, header.name, "mode"};
    return std::nullopt;
  }
  header.mode = static_cast<uint32_t>(mode & 07777);
  switch (ParseTarNumber(Field(block, kSizeAt, kSizeWidth), header.size)) {
    case NumberParse::kOk:
      break;
    case NumberParse::kOverflow:
      fault = {TarProblem::kSizeOverflow, header.name, "size"};
      return std::nullopt;
    case NumberParse::kNotANumber:
      fault = {TarProblem::kBadNumber, header.name, "size"};
      return std::nullopt;
  }
  return header;
}

}  // namespace pacetta::updates
