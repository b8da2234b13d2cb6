#include "platform/sim/machine/text_lines.h"

namespace pacetta::sim {

std::vector<TextLine> SplitLines(std::string_view text) {
  std::vector<TextLine> lines;
  size_t start = 0;
  int number = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    lines.push_back({number++, text.substr(start, i - start)});
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back({number, text.substr(start)});
  return lines;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string PrintableExcerpt(std::string_view text) {
  constexpr size_t kLongest = 60;
  text = TrimBlanks(text);
  const bool cut = text.size() > kLongest;
  std::string excerpt = "\"";
  for (const char c : text.substr(0, kLongest)) {
    const auto byte = static_cast<unsigned char>(c);
    excerpt.push_back(byte < 0x20 || byte > 0x7E ? '?' : c);
  }
  excerpt += cut ? "...\"" : "\"";
  return excerpt;
}

}  // namespace pacetta::sim
