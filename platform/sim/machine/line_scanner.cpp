#include "platform/sim/machine/line_scanner.h"

#include <algorithm>
#include <cctype>

namespace pacetta::sim {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool LineScanner::SkipBlanks() {
  const size_t start = pos_;
  while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  return pos_ != start;
}

bool LineScanner::Consume(std::string_view literal) {
  if (text_.substr(pos_, literal.size()) != literal) return false;
  pos_ += literal.size();
  return true;
}

bool LineScanner::ConsumeIgnoringCase(std::string_view literal) {
  const auto candidate = text_.substr(pos_, literal.size());
  if (candidate.size() != literal.size()) return false;
  for (size_t i = 0; i < literal.size(); ++i) {
    const auto a = std::tolower(static_cast<unsigned char>(candidate[i]));
    const auto b = std::tolower(static_cast<unsigned char>(literal[i]));
    if (a != b) return false;
  }
  pos_ += literal.size();
  return true;
}

std::optional<uint32_t> LineScanner::Hex(int minDigits, int maxDigits) {
  const auto value = WideHex(minDigits, std::min(maxDigits, 8));
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

std::optional<uint64_t> LineScanner::WideHex(int minDigits, int maxDigits) {
  uint64_t value = 0;
  int digits = 0;
  size_t at = pos_;
  while (at < text_.size() && HexDigitValue(text_[at]) >= 0) {
    if (digits == maxDigits) return std::nullopt;  // more digits than the field holds
    value = value << 4 | static_cast<uint64_t>(HexDigitValue(text_[at]));
    ++digits;
    ++at;
  }
  if (digits < minDigits) return std::nullopt;
  pos_ = at;
  return value;
}

std::optional<uint32_t> LineScanner::Decimal(int maxDigits) {
  uint32_t value = 0;
  int digits = 0;
  size_t at = pos_;
  while (at < text_.size() && text_[at] >= '0' && text_[at] <= '9') {
    if (digits == maxDigits) return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(text_[at] - '0');
    ++digits;
    ++at;
  }
  if (digits == 0) return std::nullopt;
  pos_ = at;
  return value;
}

}  // namespace pacetta::sim
