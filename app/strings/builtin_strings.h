#pragma once
#include <cstdint>
#include <span>
#include <string_view>

namespace pacetta {

struct BuiltinString {
  uint32_t id;
  std::string_view text;  // UTF-8
};

// The built-in English texts, in rising id order, each id once.
std::span<const BuiltinString> BuiltinStrings();

}  // namespace pacetta
