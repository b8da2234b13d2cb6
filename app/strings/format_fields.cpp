#include "app/strings/format_fields.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "app/strings/format_text.h"

namespace pacetta::format_fields {
namespace {

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

size_t CharacterCount(std::string_view text) {
  size_t count = 0;
  for (char c : text) count += IsContinuationByte(c) ? 0 : 1;
  return count;
}

void AppendPadded(std::string& out, std::string_view body, const Field& field) {
  const size_t length = CharacterCount(body);
  const size_t padding = field.width > 0 && static_cast<size_t>(field.width) > length
                             ? static_cast<size_t>(field.width) - length
                             : 0;
  if (!field.leftAlign) out.append(padding, ' ');
  out.append(body);
  if (field.leftAlign) out.append(padding, ' ');
}

std::string Utf8(uint32_t codePoint) {
  std::string bytes;
  if (codePoint < 0x80) {
    bytes += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    bytes += static_cast<char>(0xC0 | (codePoint >> 6));
    bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    bytes += static_cast<char>(0xE0 | (codePoint >> 12));
    bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | (codePoint >> 18));
    bytes += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  return bytes;
}

std::string Digits(uint64_t magnitude, unsigned base, bool upper) {
  const char* digitSet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string digits;
  while (magnitude != 0) {
    digits.insert(digits.begin(), digitSet[magnitude % base]);
    magnitude /= base;
  }
  return digits;
}

std::string ToChars(double value, std::chars_format format, int precision) {
  // Enough for 309 integral digits, the largest precision and an exponent.
  std::string buffer(static_cast<size_t>(kMaxFieldWidth) + 400, '\0');
  const auto result =
      precision < 0
          ? std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format)
          : std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
  if (result.ec != std::errc()) return {};
  buffer.resize(static_cast<size_t>(result.ptr - buffer.data()));
  return buffer;
}

// '#' asks for a decimal point even without digits after it.
void ForcePoint(std::string& number) {
  if (number.find('.') != std::string::npos) return;
  const size_t exponent = number.find_first_of("ep");
  number.insert(exponent == std::string::npos ? number.size() : exponent, ".");
}

// The digits of a non-negative finite `value` for f, e, g or a.
std::string FiniteNumber(double value, char conversion, int precision, bool alternate) {
  std::string number;
  switch (conversion) {
    case 'f':
      number = ToChars(value, std::chars_format::fixed, precision);
      break;
    case 'e':
      number = ToChars(value, std::chars_format::scientific, precision);
      break;
    case 'a':
      number = ToChars(value, std::chars_format::hex, precision);
      break;
    default: {
      // %g: P significant digits, fixed when the exponent X satisfies P > X >= -4;
      // trailing zeros are dropped unless '#' keeps them.
      const int significant = precision == 0 ? 1 : precision;
      const std::string scientific = ToChars(value, std::chars_format::scientific, significant - 1);
      const size_t e = scientific.find('e');
      const int exponent = e == std::string::npos ? 0 : std::atoi(scientific.c_str() + e + 1);
      number = (exponent < significant && exponent >= -4)
                   ? ToChars(value, std::chars_format::fixed, significant - 1 - exponent)
                   : scientific;
      if (!alternate && number.find('.') != std::string::npos) {
        const size_t end = number.find('e');
        std::string mantissa = number.substr(0, end);
        const std::string rest = end == std::string::npos ? "" : number.substr(end);
        while (mantissa.back() == '0') mantissa.pop_back();
        if (mantissa.back() == '.') mantissa.pop_back();
        number = mantissa + rest;
      }
      break;
    }
  }
  if (alternate) ForcePoint(number);
  return number;
}

}  // namespace

void AppendText(std::string& out, std::string_view text, const Field& field) {
  if (field.precision >= 0 && text.size() > static_cast<size_t>(field.precision)) {
    size_t cut = static_cast<size_t>(field.precision);
    while (cut > 0 && IsContinuationByte(text[cut])) --cut;
    text = text.substr(0, cut);
  }
  AppendPadded(out, text, field);
}

void AppendCharacter(std::string& out, uint64_t codePoint, const Field& field) {
  const bool isCharacter = codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
  const std::string body = codePoint == 0
                               ? std::string()
                               : Utf8(isCharacter ? static_cast<uint32_t>(codePoint) : 0xFFFD);
  AppendPadded(out, body, field);
}

void AppendInteger(std::string& out, bool negative, uint64_t magnitude, const Field& field) {
  const char conversion = field.conversion;
  const bool isSigned = conversion == 'd' || conversion == 'i';
  const unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
  // C: a precision of 0 prints no digits for the value 0.
  std::string digits = (magnitude == 0 && field.precision != 0)
                           ? std::string("0")
                           : Digits(magnitude, base, conversion == 'X');
  if (field.precision > 0 && digits.size() < static_cast<size_t>(field.precision)) {
    digits.insert(0, static_cast<size_t>(field.precision) - digits.size(), '0');
  }
  std::string prefix;
  if (negative) {
    prefix = "-";
  } else if (isSigned && field.plus) {
    prefix = "+";
  } else if (isSigned && field.space) {
    prefix = " ";
  }
  if (field.alternate) {
    if (base == 16 && magnitude != 0) prefix += conversion == 'X' ? "0X" : "0x";
    if (base == 8 && (digits.empty() || digits.front() != '0')) digits.insert(0, "0");
  }
  const size_t length = prefix.size() + digits.size();
  const size_t width = field.width > 0 ? static_cast<size_t>(field.width) : 0;
  // Zeros go between sign and digits; a precision or '-' turns them into blanks.
  if (field.zeroPad && !field.leftAlign && field.precision < 0 && width > length) {
    digits.insert(0, width - length, '0');
  }
  AppendPadded(out, prefix + digits, field);
}

void AppendFloat(std::string& out, double value, const Field& field) {
  // std::to_chars renders as printf does in the "C" locale, whatever locale the
  // process runs in: a tooltip or log line always carries a decimal point.
  const char conversion =
      static_cast<char>(std::tolower(static_cast<unsigned char>(field.conversion)));
  const bool upper = conversion != field.conversion;
  const int precision = field.precision >= 0 ? field.precision : (conversion == 'a' ? -1 : 6);
  const bool finite = std::isfinite(value);

  std::string body = finite ? FiniteNumber(std::fabs(value), conversion, precision, field.alternate)
                            : std::string(std::isnan(value) ? "nan" : "inf");
  if (upper) {
    for (char& c : body) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  std::string prefix;
  if (std::signbit(value)) {
    prefix = "-";
  } else if (field.plus) {
    prefix = "+";
  } else if (field.space) {
    prefix = " ";
  }
  if (finite && conversion == 'a') prefix += upper ? "0X" : "0x";
  const size_t length = prefix.size() + body.size();
  const size_t width = field.width > 0 ? static_cast<size_t>(field.width) : 0;
  if (finite && field.zeroPad && !field.leftAlign && width > length) {
    body.insert(0, width - length, '0');
  }
  AppendPadded(out, prefix + body, field);
}

}  // namespace pacetta::format_fields
