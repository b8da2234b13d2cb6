#include "platform/plan_guid.h"

#include <cstdio>

namespace pacetta::platform {
namespace {

// Where each byte of the text form (in text order) lands in memory.
constexpr size_t kMemoryOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
constexpr size_t kDashes[4] = {8, 13, 18, 23};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<PlanGuid> ParsePlanGuid(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  for (size_t dash : kDashes) {
    if (text[dash] != '-') return std::nullopt;
  }
  std::string digits;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i != kDashes[0] && i != kDashes[1] && i != kDashes[2] && i != kDashes[3]) {
      digits += text[i];
    }
  }
  PlanGuid guid{};
  for (size_t byte = 0; byte < 16; ++byte) {
    const int high = HexDigit(digits[2 * byte]);
    const int low = HexDigit(digits[2 * byte + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    guid[kMemoryOrder[byte]] = static_cast<uint8_t>(high * 16 + low);
  }
  return guid;
}

std::string FormatPlanGuid(const PlanGuid& guid) {
  std::string text;
  for (size_t byte = 0; byte < 16; ++byte) {
    if (byte == 4 || byte == 6 || byte == 8 || byte == 10) text += '-';
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", guid[kMemoryOrder[byte]]);
    text += pair;
  }
  return text;
}

}  // namespace pacetta::platform
