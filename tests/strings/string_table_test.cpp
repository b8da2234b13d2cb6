#include "app/strings/string_table.h"

#include <gtest/gtest.h>

#include <set>

#include "app/strings/builtin_strings.h"
#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "platform/linux/linux_system.h"

namespace pacetta {
namespace {

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

TEST(BuiltinStrings, AreOrderedUniqueNumberedUtf8AndNonEmpty) {
  uint32_t previous = 0;
  for (const BuiltinString& entry : BuiltinStrings()) {
    EXPECT_GT(entry.id, previous) << "out of order or repeated: " << entry.id;
    EXPECT_GE(entry.id, 10000u);
    EXPECT_FALSE(entry.text.empty()) << entry.id;
    EXPECT_TRUE(IsValidUtf8(entry.text)) << entry.id;
    previous = entry.id;
  }
}

TEST(BuiltinStrings, EveryNumberedRangeIsComplete) {
  const StringTable table;
  const struct {
    uint32_t first;
    uint32_t count;
  } ranges[] = {
      {kStrProfileNoManagement, 4},
      {kStrAcpiStateFirst, kAcpiStateCount},
      {kStrCpuLoadMethodFirst, kCpuLoadMethodCount},
      {kStrSuspendKeepProfile, 3},
      {kStrDefaultsCpuDefined, 3},
      {kStrColorNameFirst, kColorNameCount},
      {kStrUpdateStateFirst, kUpdateStateCount},
      {kStrEventSourceAc, 3},
      {kStrEventTypeFirst, kEventTypeCount},
      {kStrEventDescriptionFirst, kEventTypeCount},
      {kStrActionTypeFirst, kActionTypeCount},
  };
  for (const auto& range : ranges) {
    for (uint32_t id = range.first; id < range.first + range.count; ++id) {
      EXPECT_FALSE(table.Get(id).empty()) << id;
    }
  }
  // The ranges end where the next text begins.
  EXPECT_EQ(table.Get(kStrUpdateStateFirst + kUpdateStateCount - 1), "Installing update...");
  EXPECT_EQ(table.Get(kStrEventTypeFirst + kEventTypeCount), "");
  EXPECT_EQ(table.Get(kStrActionTypeFirst + kActionTypeCount), "");
}

TEST(StringTable, HelpTextFormatsToTheFullUsageMessage) {
  const StringTable table;
  const std::string help = FormatText(
      table.Get(kStrHelp),
      {"Pacetta", table.Get(kStrProfileNoManagement), table.Get(kStrProfilePowerSaving),
       table.Get(kStrProfileMaxPerformance), table.Get(kStrProfileOnDemand), "Portex64"});
  EXPECT_EQ(help,
            "Pacetta command-line options:\n\n\n"
            "-?, -help - Display list of the command-line options\n\n"
            "-profile n - Set profile (AC or DC, based on the current power source)\n"
            "of the currently running application to n:\n"
            "\tn = 0: No management\n"
            "\tn = 1: Power saving\n"
            "\tn = 2: Maximal performance\n"
            "\tn = 3: Performance on demand\n"
            "\tn = 4..31: Custom profile (PRO version only)\n\n"
            "-nextprofile - Set next profile, relative to current profile\n\n"
            "-prevprofile - Set previous profile, relative to current profile\n\n"
            "-resume - Simulate a \"resume\" event\n\n"
            "-exit - Exit currently running instance of the application\n\n"
            "-unload - Attempt to uninstall currently loaded Portex64 driver\n"
            "(must be specified at the program startup)\n\n");
}

TEST(StringTable, StartupMessagesCarryTheirExactWording) {
  const StringTable table;
  EXPECT_EQ(table.Get(kStrProductName), "Tarvello");
  EXPECT_EQ(table.Get(kStrErrorCaption), "Error");
  EXPECT_EQ(FormatText(table.Get(kStrDriverLoadFailed), {"Portex64"}),
            "Cannot install or load Portex64 driver. Make sure you're loading this\n"
            "application from not a read-only medium and/or a network drive, and\n"
            "that you're logged on with Administrator rights.");
  EXPECT_EQ(FormatText(table.Get(kStrDriverVersionMismatch), {"Portex64", 1, 5, "Portex64"}),
            "This application is designed to use Portex64 driver v1.5.\n"
            "Different version of Portex64 is installed and in use now.\n"
            "It is strongly recommended to close all applications using this\n"
            "driver and restart this application to allow correct driver\n"
            "version usage, otherwise it may not function properly.\n\n"
            "Attempt to uninstall currently loaded driver?\n\n"
            "Click \"Yes\" to proceed with uninstall.\n"
            "Click \"No\" to continue without uninstall (not recommended).\n"
            "Click \"Cancel\" to exit this application.");
  EXPECT_EQ(FormatText(table.Get(kStrLanguageApplicationDefault), {"English", 1033u}),
            "Application default: English [1033]");
}

TEST(StringTable, TextsWithQuotesPercentAndDegreesFormatAsShown) {
  const StringTable table;
  EXPECT_EQ(FormatText(table.Get(kStrEventDescriptionFirst + 3), {"make.exe"}),
            "Application running: \"make.exe\"");
  EXPECT_EQ(FormatText(table.Get(kStrEventDescriptionFirst + 8), {70}),
            "CPU core temperature rises above 70\xC2\xB0"
            "C");
  EXPECT_EQ(FormatText(table.Get(kStrUpdateDownloading), {42}), "Downloading update... 42%");
  EXPECT_EQ(FormatText(table.Get(kStrTooltipLoad), {"12.50%", 7.126}),
            "CPU load: 12.50%\nOS load: 7.13%");
  EXPECT_EQ(table.Get(kStrSuspendPowerSaving), "Set \"Power saving\" profile");
}

TEST(StringTable, UnknownNumberGivesEmptyText) {
  const StringTable table;
  EXPECT_EQ(table.Get(0), "");
  EXPECT_EQ(table.Get(9999), "");
  EXPECT_EQ(table.Get(10002), "");
  EXPECT_EQ(table.LanguageId(), 0u);
}

class FixedLocaleSystem : public linux_os::LinuxSystem {
 public:
  uint32_t UserDefaultLocale() override { return 1031; }
  uint32_t SystemDefaultLocale() override { return 1036; }
};

TEST(ResolveLanguageId, DefaultCodesBecomeTheCurrentLocales) {
  FixedLocaleSystem system;
  EXPECT_EQ(ResolveLanguageId(kLanguageUserDefault, system), 1031u);
  EXPECT_EQ(ResolveLanguageId(kLanguageSystemDefault, system), 1036u);
  EXPECT_EQ(ResolveLanguageId(0, system), 0u);
  EXPECT_EQ(ResolveLanguageId(1049, system), 1049u);
}

TEST(LanguageModulePath, JoinsFolderAndLocaleNumber) {
  EXPECT_EQ(LanguageModulePath("/opt/pacetta", 1031), "/opt/pacetta/Pacetta1031.so");
  EXPECT_EQ(LanguageModulePath("/opt/pacetta/", 1031), "/opt/pacetta/Pacetta1031.so");
  EXPECT_EQ(LanguageModulePath("", 2052), "Pacetta2052.so");
}

}  // namespace
}  // namespace pacetta
