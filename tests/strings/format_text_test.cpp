#include "app/strings/format_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "app/strings/builtin_strings.h"

namespace pacetta {
namespace {

template <typename T>
std::string Printf(const char* format, T value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// Where the argument's type is right, the result is what the C library prints.
TEST(FormatText, IntegersMatchTheCLibrary) {
  const char* formats[] = {"%d",    "%i",       "%5d",  "%-5d|", "%05d", "%+d", "% d", "%.3d",
                           "%8.3d", "%-+8.3d|", "%.0d", "%+05d", "%x",   "%X",  "%#x", "%#X",
                           "%08x",  "%#010x",   "%o",   "%#o",   "%.0x", "%u"};
  for (const char* format : formats) {
    for (int value : {0, 1, -1, 42, -42, 255, 65535, 2147483647, -2147483647 - 1}) {
      EXPECT_EQ(FormatText(format, {value}), Printf(format, value)) << format << " " << value;
    }
  }
  for (long long value : {0LL, -1LL, 9223372036854775807LL, -9223372036854775807LL - 1}) {
    EXPECT_EQ(FormatText("%lld %llx %llu", {value, value, value}),
              Printf("%lld", value) + " " + Printf("%llx", value) + " " + Printf("%llu", value));
  }
  EXPECT_EQ(FormatText("%llu", {18446744073709551615ULL}), "18446744073709551615");
}

TEST(FormatText, FloatsMatchTheCLibrary) {
  const char* formats[] = {"%f",      "%.2f",  "%.2lf", "%10.3f", "%-10.1f|", "%+.1f", "% .1f",
                           "%010.2f", "%#.0f", "%.0f",  "%e",     "%.3E",     "%#.0e", "%g",
                           "%G",      "%.3g",  "%#g",   "%#.3g",  "%.0g",     "%+g",   "%12g|",
                           "%a",      "%.2a",  "%A",    "%F"};
  for (const char* format : formats) {
    for (double value : {0.0, -0.0, 1.0, -1.5, 0.1, 2.5, 123.456789, 1e-5, 0.0001, 1234567.0, 1e21,
                         -3.99e-300, 1.7976931348623157e308, 100000.0, 999999.4}) {
      EXPECT_EQ(FormatText(format, {value}), Printf(format, value)) << format << " " << value;
    }
  }
  const double inf = std::numeric_limits<double>::infinity();
  for (const char* format : {"%f", "%5.1f", "%-6e|", "%+g", "%E", "%08.2f"}) {
    EXPECT_EQ(FormatText(format, {inf}), Printf(format, inf)) << format;
    EXPECT_EQ(FormatText(format, {-inf}), Printf(format, -inf)) << format;
  }
  EXPECT_EQ(FormatText("%f", {std::nan("")}), "nan");
  // Rounding up to the next power of ten keeps the zeros that '#' asks for.
  EXPECT_EQ(FormatText("%#g|%g", {999999.5, 999999.5}), "1.00000e+06|1e+06");
}

TEST(FormatText, TextsAndCharacters) {
  EXPECT_EQ(
      FormatText("[%s] [%8s] [%-8s] [%.3s] [%8.2s]", {"abcd", "abcd", "abcd", "abcd", "abcd"}),
      "[abcd] [    abcd] [abcd    ] [abc] [      ab]");
  EXPECT_EQ(FormatText("%c%c%c", {'o', 'k', '!'}), "ok!");
  EXPECT_EQ(FormatText("%3c|%-3c|", {'a', 'b'}), "  a|b  |");
  EXPECT_EQ(FormatText("%s", {std::string("std")}), "std");
  EXPECT_EQ(FormatText("%s", {static_cast<const char*>(nullptr)}), "");
  EXPECT_EQ(FormatText("%s!", {std::string_view("view")}), "view!");
}

TEST(FormatText, Utf8IsNeverCutAndWidthCountsCharacters) {
  const std::string degrees =
      "70\xC2\xB0"
      "C";  // "70°C": five bytes, four characters
  EXPECT_EQ(FormatText("%.3s|", {degrees}), "70|");
  EXPECT_EQ(FormatText("%.4s|", {degrees}), "70\xC2\xB0|");
  EXPECT_EQ(FormatText("%6s", {degrees}), "  " + degrees);
  EXPECT_EQ(FormatText("%c", {0xB0}), "\xC2\xB0");
  EXPECT_EQ(FormatText("%c", {0x20AC}), "\xE2\x82\xAC");
  EXPECT_EQ(FormatText("%c", {0xD800}), "\xEF\xBF\xBD");
  EXPECT_EQ(FormatText("%c", {"\xC2\xB0rest"}), "\xC2\xB0");
}

TEST(FormatText, LengthModifiersAreIgnored) {
  EXPECT_EQ(FormatText("%hu/%hhd/%ld/%lld/%I64d/%I32u/%zu/%Lf/%.2lf%%",
                       {70000, 300, 5, 6, 7, 8, 9u, 1.5, 99.5}),
            "70000/300/5/6/7/8/9/1.500000/99.50%");
  EXPECT_EQ(FormatText("%02hu/%02hu/%04hu at %02hu:%02hu", {3, 7, 2024, 9, 5}),
            "03/07/2024 at 09:05");
  EXPECT_EQ(FormatText("%ud.%02u:%02u:%02u", {2u, 3u, 4u, 5u}), "2d.03:04:05");
}

TEST(FormatText, ArgumentsOfAnotherKindAreConverted) {
  EXPECT_EQ(FormatText("%s %s %s %s", {42, -7, 18446744073709551615ULL, 2.5}),
            "42 -7 18446744073709551615 2.5");
  EXPECT_EQ(FormatText("%d|%5x|%-4u|", {"text", "ab", "cd"}), "text|   ab|cd  |");
  EXPECT_EQ(FormatText("%.2f|%8.1f|", {"N/A", "N/A"}), "N/A|     N/A|");
  EXPECT_EQ(FormatText("%.1f %e", {3, 2u}), "3.0 2.000000e+00");
  EXPECT_EQ(FormatText("%d %d %u %x", {3.99, -3.99, 7.5, 255.0}), "3 -3 7 ff");
  EXPECT_EQ(FormatText("%d", {1e30}), "1000000000000000019884624838656");
  EXPECT_EQ(FormatText("%d %u", {std::nan(""), -std::numeric_limits<double>::infinity()}),
            "nan -inf");
  EXPECT_EQ(FormatText("%d", {4294967295u}), "4294967295");
  EXPECT_EQ(FormatText("%u %x", {-1, int64_t{-1}}), "4294967295 ffffffffffffffff");
  EXPECT_EQ(FormatText("%x", {static_cast<short>(-1)}), "ffff");
  EXPECT_EQ(FormatText("%c", {2.9}), "\x02");
  EXPECT_EQ(FormatText("%d%d", {true, false}), "10");
}

TEST(FormatText, MissingExtraAndMalformedDirectivesAreHarmless) {
  EXPECT_EQ(FormatText("a %s b %d c", {}), "a  b  c");
  EXPECT_EQ(FormatText("%s and %s", {"one"}), "one and ");
  EXPECT_EQ(FormatText("%5d|%-5s|", {}), "||");
  EXPECT_EQ(FormatText("plain", {1, "two", 3.0}), "plain");
  EXPECT_EQ(FormatText("%s", {"x", "y"}), "x");
  EXPECT_EQ(FormatText("", {1}), "");
  EXPECT_EQ(FormatText("%", {1}), "%");
  EXPECT_EQ(FormatText("100%", {}), "100%");
  EXPECT_EQ(FormatText("%%", {1}), "%");
  EXPECT_EQ(FormatText("%%d", {1}), "%d");
  EXPECT_EQ(FormatText("%5", {1}), "%5");
  EXPECT_EQ(FormatText("%-08.3l", {1}), "%-08.3l");
  EXPECT_EQ(FormatText("%y %d", {1, 2}), "%y 1");
  EXPECT_EQ(FormatText("%n%p%s", {"x"}), "%n%px");
  EXPECT_EQ(FormatText("%s", {"%d %s %n"}), "%d %s %n");  // arguments are never formats
}

TEST(FormatText, HugeWidthsAndPrecisionsAreCapped) {
  EXPECT_EQ(FormatText("%999999999999d", {1}).size(), static_cast<size_t>(kMaxFieldWidth));
  EXPECT_EQ(FormatText("%.99999999999d", {1}).size(), static_cast<size_t>(kMaxFieldWidth));
  EXPECT_EQ(FormatText("%2147483648s", {"x"}).size(), static_cast<size_t>(kMaxFieldWidth));
  EXPECT_EQ(FormatText("%*d", {1 << 30, 5}).size(), static_cast<size_t>(kMaxFieldWidth));
  EXPECT_EQ(FormatText("%*d|", {INT64_MIN, 5}).size(), static_cast<size_t>(kMaxFieldWidth) + 1);
  const std::string wide = FormatText("%.99999f", {1.7976931348623157e308});
  EXPECT_EQ(wide.size(), 309u + 1 + kMaxFieldWidth);
  EXPECT_EQ(FormatText("%.9999e", {-1.0}).size(), 1u + 2 + kMaxFieldWidth + 4);
}

TEST(FormatText, StarAndNumberedArguments) {
  EXPECT_EQ(FormatText("[%*d] [%-*d] [%*d]", {4, 7, 4, 7, -4, 7}), "[   7] [7   ] [7   ]");
  EXPECT_EQ(FormatText("[%.*f] [%.*s]", {2, 3.14159, -1, "all"}), "[3.14] [all]");
  EXPECT_EQ(FormatText("%2$s, %1$s", {"first", "second"}), "second, first");
  EXPECT_EQ(FormatText("%1$d %1$05d %1$x", {255}), "255 00255 ff");
  EXPECT_EQ(FormatText("%3$s|%0$s|", {"a", "b"}), "||");
}

TEST(FormatText, DecimalPointDoesNotFollowTheProcessLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    GTEST_SKIP() << "no locale with a decimal comma installed";
  }
  const std::string text = FormatText("%.2lf MHz %g", {1800.0, 0.5});
  std::setlocale(LC_NUMERIC, previous.c_str());
  EXPECT_EQ(text, "1800.00 MHz 0.5");
}

// Every text of the table formats with whatever arguments a caller passes, and every
// directive in it is one the formatter understands: nothing but "%%" leaves a '%'.
TEST(FormatText, EveryBuiltinTextFormats) {
  for (const BuiltinString& entry : BuiltinStrings()) {
    const std::string_view text = entry.text;
    const bool hasLiteralPercent = text.find("%%") != std::string_view::npos;
    for (const std::initializer_list<TextArg>& args :
         {std::initializer_list<TextArg>{},
          {"name", "core", "rev", "profile", "source", "driver", "x", "y"},
          {1, 2, 3, 4, 5, 6, 7, 8},
          {-1.5, 2.25, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0},
          {"Portex64", 1, 2.5, 18446744073709551615ULL, int64_t{-9}, 'c', "z", 0}}) {
      const std::string result = FormatText(text, args);
      if (!hasLiteralPercent) {
        EXPECT_EQ(result.find('%'), std::string::npos) << entry.id << ": " << result;
      }
    }
  }
}

}  // namespace
}  // namespace pacetta
