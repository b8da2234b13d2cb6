#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/strings/string_ids.h"
#include "app/strings/string_table.h"
#include "platform/linux/linux_system.h"

namespace pacetta {
namespace {

// Built beside this test: Pacetta1031 translates 10060 and 10289 (and offers a null
// text for 10080 and an unknown number), Pacetta1036 lacks the export, Pacetta1040
// exports a null table, Pacetta1049.so is a text file.
const std::string kModules = PACETTA_TEST_LANGUAGE_DIR;

void ExpectEnglish(const StringTable& table) {
  EXPECT_EQ(table.Get(kStrErrorCaption), "Error");
  EXPECT_EQ(table.Get(kStrLanguageApplicationDefault), "Application default: %s [%u]");
  EXPECT_EQ(table.LanguageId(), 0u);
}

void ExpectGerman(const StringTable& table) {
  EXPECT_EQ(table.Get(kStrErrorCaption), "Fehler");
  EXPECT_EQ(table.Get(kStrLanguageApplicationDefault), "Anwendungsstandard: %s [%u]");
  EXPECT_EQ(table.LanguageId(), 1031u);
}

TEST(LanguageModule, ReplacesTheTextsItTranslatesAndKeepsTheRestEnglish) {
  linux_os::LinuxSystem system;
  StringTable table;
  ASSERT_TRUE(table.LoadLanguageModule(system, kModules, 1031));
  ExpectGerman(table);
  EXPECT_EQ(table.Get(kStrProductName), "Tarvello");
  EXPECT_EQ(table.Get(kStrWarningCaption), "Warning");  // the module's null text
  EXPECT_EQ(table.Get(9999), "");                       // a number the program lacks
}

TEST(LanguageModule, TranslationsOutliveTheModule) {
  linux_os::LinuxSystem system;
  std::string copied;
  StringTable moved;
  {
    StringTable table;
    ASSERT_TRUE(table.LoadLanguageModule(system, kModules, 1031));
    copied = table.Get(kStrErrorCaption);
    moved = std::move(table);
  }
  ExpectGerman(moved);
  moved = StringTable();  // unloads the module
  EXPECT_EQ(copied, "Fehler");
  ExpectEnglish(moved);
}

TEST(LanguageModule, UnusableModulesLeaveTheTableAsItWas) {
  linux_os::LinuxSystem system;
  StringTable table;
  for (uint32_t lcid : {0u, 1099u, 1036u, 1040u, 1049u}) {
    EXPECT_FALSE(table.LoadLanguageModule(system, kModules, lcid)) << lcid;
    ExpectEnglish(table);
  }
  // Not even a loaded translation is disturbed by a failed switch.
  ASSERT_TRUE(table.LoadLanguageModule(system, kModules, 1031));
  for (uint32_t lcid : {1099u, 1036u, 1040u, 1049u}) {
    EXPECT_FALSE(table.LoadLanguageModule(system, kModules, lcid)) << lcid;
    ExpectGerman(table);
  }
  EXPECT_FALSE(table.LoadLanguageModule(system, "/nonexistent-folder", 1031));
  ExpectGerman(table);
}

}  // namespace
}  // namespace pacetta
