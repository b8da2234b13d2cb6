#include "app/strings/format_text.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "app/strings/format_fields.h"

namespace pacetta {
namespace {

using format_fields::Field;

constexpr std::string_view kFlags = "-+ #0";
constexpr std::string_view kIntegerConversions = "diuoxX";
constexpr std::string_view kFloatConversions = "fFeEgGaA";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads decimal digits at `pos`, saturating at kMaxFieldWidth.
int ReadNumber(std::string_view format, size_t& pos) {
  int number = 0;
  while (pos < format.size() && IsDigit(format[pos])) {
    number = std::min(number * 10 + (format[pos] - '0'), kMaxFieldWidth);
    ++pos;
  }
  return number;
}

void SkipLengthModifier(std::string_view format, size_t& pos) {
  const std::string_view rest = format.substr(pos);
  for (std::string_view modifier :
       {"I64", "I32", "hh", "ll", "h", "l", "L", "q", "j", "z", "t", "I"}) {
    if (rest.starts_with(modifier)) {
      pos += modifier.size();
      return;
    }
  }
}

std::string DecimalText(const TextArg::Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<int64_t>(&value)) return std::to_string(*number);
  if (const auto* number = std::get_if<uint64_t>(&value)) return std::to_string(*number);
  std::string text;
  Field general;
  general.conversion = 'g';
  format_fields::AppendFloat(text, std::get<double>(value), general);
  return text;
}

// An integer argument for '*' and %c; texts count as 0.
int64_t AsInteger(const TextArg::Value& value) {
  if (const auto* number = std::get_if<int64_t>(&value)) return *number;
  if (const auto* number = std::get_if<uint64_t>(&value)) {
    return static_cast<int64_t>(std::min<uint64_t>(*number, INT64_MAX));
  }
  if (const auto* number = std::get_if<double>(&value)) {
    if (!std::isfinite(*number)) return 0;
    return static_cast<int64_t>(std::clamp(*number, -9.2e18, 9.2e18));
  }
  return 0;
}

void AppendIntegerArg(std::string& out, const TextArg& arg, const Field& field) {
  const bool isSigned = field.conversion == 'd' || field.conversion == 'i';
  const TextArg::Value& value = arg.value();
  if (const auto* number = std::get_if<int64_t>(&value)) {
    if (*number >= 0 || isSigned) {
      const uint64_t magnitude =
          *number < 0 ? 0 - static_cast<uint64_t>(*number) : static_cast<uint64_t>(*number);
      format_fields::AppendInteger(out, *number < 0, magnitude, field);
    } else {
      // An unsigned view of a negative value is its two's complement at the width of
      // the type it came from, as C shows it.
      const uint64_t mask = arg.bits() >= 64 ? ~uint64_t{0} : (uint64_t{1} << arg.bits()) - 1;
      format_fields::AppendInteger(out, false, static_cast<uint64_t>(*number) & mask, field);
    }
  } else if (const auto* number = std::get_if<uint64_t>(&value)) {
    format_fields::AppendInteger(out, false, *number, field);
  } else if (const auto* number = std::get_if<double>(&value)) {
    const double whole = std::trunc(*number);
    if (whole >= 0 && whole < 18446744073709551616.0) {
      format_fields::AppendInteger(out, false, static_cast<uint64_t>(whole), field);
    } else if (whole < 0 && whole >= -9223372036854775808.0) {
      AppendIntegerArg(out, TextArg(static_cast<int64_t>(whole)), field);
    } else {
      // Out of every integer's range, or not a number: show it as a whole number.
      Field asFloat = field;
      asFloat.conversion = 'f';
      asFloat.precision = 0;
      format_fields::AppendFloat(out, *number, asFloat);
    }
  } else {
    Field asText = field;
    asText.precision = -1;
    format_fields::AppendText(out, std::get<std::string>(value), asText);
  }
}

void AppendFloatArg(std::string& out, const TextArg& arg, const Field& field) {
  const TextArg::Value& value = arg.value();
  if (const auto* number = std::get_if<double>(&value)) {
    format_fields::AppendFloat(out, *number, field);
  } else if (const auto* number = std::get_if<int64_t>(&value)) {
    format_fields::AppendFloat(out, static_cast<double>(*number), field);
  } else if (const auto* number = std::get_if<uint64_t>(&value)) {
    format_fields::AppendFloat(out, static_cast<double>(*number), field);
  } else {
    Field asText = field;
    asText.precision = -1;
    format_fields::AppendText(out, std::get<std::string>(value), asText);
  }
}

void AppendCharacterArg(std::string& out, const TextArg& arg, const Field& field) {
  if (const auto* text = std::get_if<std::string>(&arg.value())) {
    // The first character of a text, all of its UTF-8 bytes.
    size_t length = text->empty() ? 0 : 1;
    while (length < text->size() && (static_cast<unsigned char>((*text)[length]) & 0xC0) == 0x80) {
      ++length;
    }
    Field whole = field;
    whole.precision = -1;
    format_fields::AppendText(out, std::string_view(*text).substr(0, length), whole);
    return;
  }
  const int64_t code = AsInteger(arg.value());
  format_fields::AppendCharacter(out, code < 0 ? 0xFFFD : static_cast<uint64_t>(code), field);
}

class Formatter {
 public:
  Formatter(std::string_view format, std::initializer_list<TextArg> args)
      : format_(format), args_(args) {}

  std::string Run() {
    out_.reserve(format_.size() + 16 * args_.size());
    size_t pos = 0;
    while (pos < format_.size()) {
      const size_t percent = format_.find('%', pos);
      out_.append(format_.substr(pos, percent - pos));
      if (percent == std::string_view::npos) break;
      pos = HandleDirective(percent);
    }
    return std::move(out_);
  }

 private:
  // Handles the directive that starts at `start`; returns where the text goes on.
  size_t HandleDirective(size_t start) {
    size_t pos = start + 1;
    if (pos < format_.size() && format_[pos] == '%') {
      out_ += '%';
      return pos + 1;
    }
    const TextArg* explicitArg = nullptr;
    bool numbered = false;
    {
      size_t digitsEnd = pos;
      const int index = ReadNumber(format_, digitsEnd);
      if (digitsEnd > pos && digitsEnd < format_.size() && format_[digitsEnd] == '$') {
        numbered = true;
        explicitArg = ArgAt(index - 1);
        pos = digitsEnd + 1;
      }
    }
    Field field;
    for (; pos < format_.size() && kFlags.find(format_[pos]) != std::string_view::npos; ++pos) {
      switch (format_[pos]) {
        case '-':
          field.leftAlign = true;
          break;
        case '+':
          field.plus = true;
          break;
        case ' ':
          field.space = true;
          break;
        case '#':
          field.alternate = true;
          break;
        default:
          field.zeroPad = true;
          break;
      }
    }
    if (pos < format_.size() && format_[pos] == '*') {
      ++pos;
      const TextArg* widthArg = NextArg();
      const int64_t width = widthArg ? AsInteger(widthArg->value()) : 0;
      if (width < 0) field.leftAlign = true;
      // Bounded before negating: the most negative value has no positive twin.
      const int64_t bounded = std::clamp<int64_t>(width, -kMaxFieldWidth, kMaxFieldWidth);
      field.width = static_cast<int>(bounded < 0 ? -bounded : bounded);
    } else {
      field.width = ReadNumber(format_, pos);
    }
    if (pos < format_.size() && format_[pos] == '.') {
      ++pos;
      if (pos < format_.size() && format_[pos] == '*') {
        ++pos;
        const TextArg* precisionArg = NextArg();
        const int64_t precision = precisionArg ? AsInteger(precisionArg->value()) : 0;
        field.precision =
            precision < 0 ? -1 : static_cast<int>(std::min<int64_t>(precision, kMaxFieldWidth));
      } else {
        field.precision = ReadNumber(format_, pos);
      }
    }
    SkipLengthModifier(format_, pos);
    if (pos >= format_.size()) {
      out_.append(format_.substr(start));
      return format_.size();
    }
    field.conversion = format_[pos];
    const bool integer = kIntegerConversions.find(field.conversion) != std::string_view::npos;
    const bool floating = kFloatConversions.find(field.conversion) != std::string_view::npos;
    if (!integer && !floating && field.conversion != 's' && field.conversion != 'c') {
      out_.append(format_.substr(start, pos + 1 - start));
      return pos + 1;
    }
    const TextArg* arg = numbered ? explicitArg : NextArg();
    if (!arg) return pos + 1;
    if (integer) {
      AppendIntegerArg(out_, *arg, field);
    } else if (floating) {
      AppendFloatArg(out_, *arg, field);
    } else if (field.conversion == 'c') {
      AppendCharacterArg(out_, *arg, field);
    } else {
      format_fields::AppendText(out_, DecimalText(arg->value()), field);
    }
    return pos + 1;
  }

  const TextArg* ArgAt(int index) const {
    return index >= 0 && static_cast<size_t>(index) < args_.size() ? args_.begin() + index
                                                                   : nullptr;
  }
  const TextArg* NextArg() { return ArgAt(next_++); }

  std::string_view format_;
  std::initializer_list<TextArg> args_;
  int next_ = 0;
  std::string out_;
};

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<TextArg> args) {
  return Formatter(format, args).Run();
}

}  // namespace pacetta
