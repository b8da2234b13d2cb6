#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace pacetta::sim {

struct TextLine {
  int number = 0;  // 1-based
  std::string_view text;
};

// Splits text at LF, CR LF or a lone CR; the line ends are not part of the lines. A final
// line end does not start another (empty) line.
std::vector<TextLine> SplitLines(std::string_view text);

// The text without leading and trailing blanks (spaces and tabs).
std::string_view TrimBlanks(std::string_view text);

// A line of a file quoted for a message on one terminal line: trimmed, cut after 60
// characters, control and non-ASCII bytes shown as '?'.
std::string PrintableExcerpt(std::string_view text);

}  // namespace pacetta::sim
