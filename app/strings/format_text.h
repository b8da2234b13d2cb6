#pragma once
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace pacetta {

// One value for FormatText: a text, an integer (with the width of its type, which the
// unsigned and hexadecimal conversions of a negative value need) or a double.
class TextArg {
 public:
  using Value = std::variant<std::string, int64_t, uint64_t, double>;

  TextArg(const char* text) : value_(std::string(text ? text : "")) {}
  TextArg(std::string_view text) : value_(std::string(text)) {}
  TextArg(const std::string& text) : value_(text) {}
  TextArg(std::string&& text) : value_(std::move(text)) {}

  template <std::integral T>
  TextArg(T number) : bits_(sizeof(T) * 8) {
    if constexpr (std::is_signed_v<T>) {
      value_ = static_cast<int64_t>(number);
    } else {
      value_ = static_cast<uint64_t>(number);
    }
  }

  template <std::floating_point T>
  TextArg(T number) : value_(static_cast<double>(number)) {}

  // Other pointers have no text; refuse them rather than print an address.
  template <typename T>
  requires(!std::same_as<std::remove_cv_t<T>, char>) TextArg(T*)
  = delete;

  const Value& value() const { return value_; }
  // Width in bits of the integer type the value came from; 64 for other kinds.
  unsigned bits() const { return bits_; }

 private:
  Value value_;
  unsigned bits_ = 64;
};

// Printf-style formatting that cannot go wrong at run time, for texts that come from
// translators: %s %d %i %u %o %x %X %c %f %F %e %E %g %G %a %A and %%, the flags
// "- + space # 0", width and precision (also "*"), and numbered arguments ("%2$s").
// Length modifiers (hh h l ll L j z t I I32 I64) are accepted and ignored.
//  - a missing argument formats as nothing;
//  - an argument of another kind is converted: a number for %s gives its decimal text,
//    a text for a numeric conversion is shown as it is, a double for an integer
//    conversion is truncated toward zero;
//  - extra arguments are ignored, an unknown directive (including %n and %p) and a
//    lone "%" at the end are copied through;
//  - width and precision are capped at kMaxFieldWidth.
std::string FormatText(std::string_view format, std::initializer_list<TextArg> args);

inline constexpr int kMaxFieldWidth = 4096;

}  // namespace pacetta
