#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/strings/installed_languages.h"
#include "platform/linux/linux_system.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta {
namespace {

using testing::TempFolder;

// A program folder holding files of the given names.
void Touch(const TempFolder& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) std::ofstream(folder.File(name)) << "module\n";
}

TEST(InstalledLanguages, ListsTheNamedModulesBesideTheProgramByLocaleNumber) {
  TempFolder folder;
  Touch(folder, {"Pacetta3079.so", "Pacetta1049.so", "Pacetta1031.so", "Pacetta9999.so",
                 "Pacetta.so", "Pacetta1036.dll", "Vireon.so"});
  linux_os::LinuxSystem system;
  const std::vector<LanguageChoice> installed = InstalledLanguages(system, folder.Path() + "/");
  ASSERT_EQ(installed.size(), 3u);
  EXPECT_EQ(installed[0].lcid, 1031u);
  EXPECT_EQ(installed[0].name, "Deutsch – German");
  EXPECT_EQ(installed[0].file, folder.File("Pacetta1031.so"));
  EXPECT_EQ(installed[1].lcid, 1049u);
  EXPECT_EQ(installed[1].name, "Русский – Russian");
  EXPECT_EQ(installed[2].lcid, 3079u);
  EXPECT_EQ(installed[2].name, "Deutsch (Österreich) – German (Austria)");

  EXPECT_EQ(LanguageDisplayName(1033), "English (United States)");
  EXPECT_EQ(LanguageDisplayName(9999), "Language 9999");
  EXPECT_TRUE(InstalledLanguages(system, "/nonexistent-folder").empty());
}

TEST(InstalledLanguages, ALocaleWithoutItsOwnModuleTakesTheModuleOfItsLanguage) {
  TempFolder folder;
  Touch(folder, {"Pacetta1031.so", "Pacetta3084.so"});
  linux_os::LinuxSystem system;
  struct Case {
    uint32_t lcid;
    uint32_t module;
    bool available;
  };
  const Case cases[] = {
      {1031, 1031, true},                // its own module
      {2055, 1031, true},                // Swiss German: the main German module
      {3079, 1031, true},                // Austrian German
      {1036, 3084, true},                // French of France: the only French module there is
      {2060, 3084, true},                // Belgian French
      {1049, 0, false},                  // Russian: none
      {2057, 0, true},                   // British English: built in
      {1033, 0, true},    {0, 0, true},  // the built-in texts
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ModuleLocaleFor(system, folder.Path(), c.lcid), c.module) << c.lcid;
    EXPECT_EQ(LanguageAvailable(system, folder.Path(), c.lcid), c.available) << c.lcid;
  }
}

}  // namespace
}  // namespace pacetta
