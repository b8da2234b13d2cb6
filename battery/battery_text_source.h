#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace pacetta::battery {

// An argument of a numbered format: a whole number or a text.
using TextValue = std::variant<int64_t, std::string>;

// The program's string table as the battery texts use it: a text by its number, and a
// numbered format filled in (the formats are the translators').
struct TextSource {
  std::function<std::string(uint32_t id)> text;
  std::function<std::string(uint32_t id, const std::vector<TextValue>& args)> format;
};

}  // namespace pacetta::battery
