#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Rendering of one printf-style field, behind FormatText.
namespace pacetta::format_fields {

// What one directive asks for: flags, width, precision and conversion.
struct Field {
  bool leftAlign = false;  // '-'
  bool plus = false;       // '+'
  bool space = false;      // ' '
  bool alternate = false;  // '#'
  bool zeroPad = false;    // '0'
  int width = 0;
  int precision = -1;  // -1 = none given
  char conversion = 0;
};

// `text` cut to `precision` bytes (never inside a UTF-8 sequence) and padded with
// blanks to `width` characters.
void AppendText(std::string& out, std::string_view text, const Field& field);
// One character, UTF-8 encoded; nothing for 0, U+FFFD for a value that is no character.
void AppendCharacter(std::string& out, uint64_t codePoint, const Field& field);
// An integer given as sign and magnitude, in the base of d/i/u/o/x/X.
void AppendInteger(std::string& out, bool negative, uint64_t magnitude, const Field& field);
// A double by f/F/e/E/g/G/a/A.
void AppendFloat(std::string& out, double value, const Field& field);

}  // namespace pacetta::format_fields
