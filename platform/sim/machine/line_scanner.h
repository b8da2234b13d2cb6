#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace pacetta::sim {

// Reads the fields of one line of a dump from left to right. Every reader either consumes
// what it asks for and succeeds, or consumes nothing and fails.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  std::string_view Rest() const { return text_.substr(pos_); }

  // Skips spaces and tabs; true when there was at least one.
  bool SkipBlanks();
  bool Consume(std::string_view literal);
  // Case-insensitive variant, for hexadecimal prefixes and words that dumps spell both ways.
  bool ConsumeIgnoringCase(std::string_view literal);
  // A hexadecimal number of minDigits..maxDigits digits (either case) that is not followed
  // by a further hexadecimal digit; maxDigits is at most 8.
  std::optional<uint32_t> Hex(int minDigits, int maxDigits);
  // The same with up to 16 digits (affinity masks).
  std::optional<uint64_t> WideHex(int minDigits, int maxDigits);
  // A decimal number of 1..maxDigits digits not followed by a further digit; maxDigits is
  // at most 9.
  std::optional<uint32_t> Decimal(int maxDigits);

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// The value of one hexadecimal digit, or -1.
int HexDigitValue(char c);

}  // namespace pacetta::sim
