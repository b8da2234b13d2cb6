#pragma once
#include <string_view>

namespace pacetta::ui {

struct BuildDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// The date of a "Mmm dd yyyy" text as the compiler's __DATE__ gives it; zeros when the
// text has another form.
constexpr BuildDate ParseCompilerDate(std::string_view text) {
  constexpr std::string_view kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
  if (text.size() != 11) return {};
  int month = 0;
  for (int m = 0; m < 12; ++m) {
    if (kMonths.substr(static_cast<size_t>(m) * 3, 3) == text.substr(0, 3)) month = m + 1;
  }
  const auto digit = [&](size_t at) { return text[at] == ' ' ? 0 : text[at] - '0'; };
  for (const size_t at : {5u, 7u, 8u, 9u, 10u}) {
    if (text[at] < '0' || text[at] > '9') return {};
  }
  if (month == 0 || (text[4] != ' ' && (text[4] < '0' || text[4] > '9'))) return {};
  return {digit(7) * 1000 + digit(8) * 100 + digit(9) * 10 + digit(10), month,
          digit(4) * 10 + digit(5)};
}

}  // namespace pacetta::ui
