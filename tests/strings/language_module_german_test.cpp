#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/strings/builtin_strings.h"
#include "app/strings/language_module.h"
#include "app/strings/string_table.h"
#include "platform/linux/linux_system.h"

namespace pacetta {
namespace {

// The German module the project builds beside the program.
const std::string kProgramFolder = PACETTA_BIN_DIR;

// The directives of a text as written, "%%" included, in order: "%.2lf", "%s", ...
std::vector<std::string> Directives(std::string_view text) {
  std::vector<std::string> found;
  for (size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at)) {
    const size_t end = text.find_first_of("%sdiuoxXcfFeEgGaAnp", at + 1);
    if (end == std::string_view::npos) {
      found.emplace_back(text.substr(at));
      break;
    }
    found.emplace_back(text.substr(at, end - at + 1));
    at = end + 1;
  }
  return found;
}

long CountOf(std::string_view text, char c) {
  return std::count(text.begin(), text.end(), c);
}

TEST(GermanModule, TranslatesEveryTextOnceWithTheEnglishDirectivesAndLineBreaks) {
  linux_os::LinuxSystem system;
  auto module = system.LoadModule(LanguageModulePath(kProgramFolder, 1031));
  ASSERT_TRUE(module) << "the German module is built beside the program";
  const auto strings =
      reinterpret_cast<PacettaLanguageStringsFunction>(module->Symbol("PacettaLanguageStrings"));
  ASSERT_TRUE(strings);
  uint32_t count = 0;
  const PacettaLanguageEntry* entries = strings(&count);
  ASSERT_TRUE(entries);

  std::map<uint32_t, std::string_view> german;
  for (uint32_t i = 0; i < count; ++i) {
    ASSERT_TRUE(entries[i].text) << entries[i].id;
    EXPECT_TRUE(german.emplace(entries[i].id, entries[i].text).second)
        << entries[i].id << " is translated twice";
  }
  size_t translatedDifferently = 0;
  for (const BuiltinString& english : BuiltinStrings()) {
    const auto found = german.find(english.id);
    if (found == german.end()) {
      ADD_FAILURE() << english.id << " \"" << english.text << "\" has no German text";
      continue;
    }
    const std::string_view text = found->second;
    EXPECT_EQ(Directives(text), Directives(english.text)) << english.id << ": " << text;
    EXPECT_EQ(CountOf(text, '\n'), CountOf(english.text, '\n')) << english.id << ": " << text;
    EXPECT_EQ(CountOf(text, '\t'), CountOf(english.text, '\t')) << english.id << ": " << text;
    EXPECT_FALSE(text.empty()) << english.id;
    if (text != english.text) ++translatedDifferently;
    german.erase(found);
  }
  for (const auto& [id, text] : german) ADD_FAILURE() << id << " is no text of the program";
  // Units, register names and product names stay; the rest must really be German.
  EXPECT_GT(translatedDifferently, BuiltinStrings().size() * 4 / 5);
}

}  // namespace
}  // namespace pacetta
