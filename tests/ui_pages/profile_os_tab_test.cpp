// The Profile page's OS settings on the running program of simulated laptops: the older
// generation's schemes, time-outs and panel (Windows XP), the newer generation's plans and
// settings (Windows Vista), and what "Apply" and "Defaults" leave in the profile and the
// system.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/desktop/profile_os.h"
#include "app/strings/string_ids.h"
#include "platform/plan_guid.h"
#include "power/legacy_values.h"
#include "tests/app/program_rig.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/profile/os_plan_tab.h"
#include "ui/pages/profile/profile_page.h"

namespace pacetta::ui {
namespace {

using pacetta::testing::ProgramRig;
using testing::Box;
using testing::RecordingHost;

constexpr char kXpLaptop[] = "pentium-m-laptop";
constexpr char kXpDesktop[] = "pentium4-ht";  // no panel
constexpr char kVistaLaptop[] = "core2-duo-laptop";

template <typename T>
T& Find(QWidget& page, const char* name) {
  T* control = page.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
  return *control;
}

// A started program and its Profile page showing the profile in use.
struct Rig {
  explicit Rig(const char* machine, uint32_t manage = 1) : program(machine) {
    testing::TestApp();
    program.Store("ManageOsPowerSettings", manage);
    if (!program.Start()) throw std::runtime_error("the program did not start");
    page = std::make_unique<ProfilePage>(PageContext{program.Program(), host});
    page->LoadProfile(Current());
  }
  int32_t Current() { return program.Program().CurrentProfile(); }
  const Profile& Stored() { return *program.Program().Settings().profiles.At(page->Index()); }
  power::LegacyCustomValues StoredValues() { return power::ReadCustomValues(Stored().osPolicy); }
  void Apply() { Find<QPushButton>(*page, "Apply").click(); }

  ProgramRig program;
  RecordingHost host;
  std::unique_ptr<ProfilePage> page;
};

// Off, the program runs no scheme of its own: the tab is shown but nothing on it can be
// changed, whichever generation the system has.
TEST(ProfileOsTab, IsDisabledWhileTheProgramDoesNotManageTheOsSettings) {
  struct Case {
    const char* machine;
    uint32_t manage;
    const char* control;
  };
  const Case cases[] = {{kXpLaptop, 0, "MonitorAc"},
                        {kXpLaptop, 1, "MonitorAc"},
                        {kVistaLaptop, 0, "UseOsPlan"},
                        {kVistaLaptop, 1, "UseOsPlan"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.machine) + (c.manage ? " managed" : " unmanaged"));
    Rig rig(c.machine, c.manage);
    EXPECT_EQ(rig.page->OsSettings().isEnabled(), c.manage != 0);
    EXPECT_EQ(Find<QWidget>(*rig.page, c.control).isEnabled(), c.manage != 0);
    EXPECT_FALSE(Find<QPushButton>(*rig.page, "Apply").isEnabled());
  }
}

// Switching the selected scheme's processor policy off asks first (a warning, Yes/No) and
// stays unticked unless the answer is yes; unticking asks nothing.
TEST(ProfileOsTab, TheProcessorPolicyBoxIsTickedOnlyAfterYes) {
  Rig rig(kXpLaptop);
  auto& box = Find<QCheckBox>(*rig.page, "DisableOsProcessorPolicy");
  ASSERT_TRUE(box.isChecked());  // a new profile's choice
  box.click();
  EXPECT_FALSE(box.isChecked());
  EXPECT_TRUE(rig.host.questions.empty());

  rig.host.answers = {false, true};
  box.click();
  EXPECT_FALSE(box.isChecked());
  box.click();
  EXPECT_TRUE(box.isChecked());
  const Box warning{kStrOsProcessorPolicyWarning, kStrWarningCaption};
  EXPECT_EQ(rig.host.questions, (std::vector<Box>{warning, warning}));
  rig.Apply();
  EXPECT_EQ(ReadLegacyLink(rig.Stored().osLink).flags, power::kDisableOsProcessorPolicy);
}

// Time-outs are shown in minutes and stored in seconds; a time-out the system cannot use
// (standby or hibernation not allowed) is stored as 0 in both columns.
TEST(ProfileOsTab, TimeOutsAreStoredAsSecondsAndOnlyWhereTheSystemAllowsThem) {
  struct Case {
    const char* refused;  // the system call that says no, or none
    std::array<uint32_t, 2> standby, hibernate;
  };
  const Case cases[] = {{nullptr, {300, 60}, {1800, 600}},
                        {"legacy.suspend-allowed", {0, 0}, {1800, 600}},
                        {"legacy.hibernate-allowed", {300, 60}, {0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refused ? c.refused : "all allowed");
    Rig rig(kXpLaptop);
    if (c.refused) {
      rig.program.Pc().OsPowerPolicy().Fail(c.refused, 0);
      rig.page->Reload();
    }
    Find<QSpinBox>(*rig.page, "MonitorAc").setValue(15);
    Find<QSpinBox>(*rig.page, "DisksDc").setValue(999999);
    Find<QSpinBox>(*rig.page, "StandbyAc").setValue(5);
    Find<QSpinBox>(*rig.page, "StandbyDc").setValue(1);
    Find<QSpinBox>(*rig.page, "HibernateAc").setValue(30);
    Find<QSpinBox>(*rig.page, "HibernateDc").setValue(10);
    EXPECT_EQ(Find<QSpinBox>(*rig.page, "StandbyAc").isEnabled(), c.standby[0] != 0);
    EXPECT_EQ(Find<QSpinBox>(*rig.page, "HibernateDc").isEnabled(), c.hibernate[1] != 0);
    rig.Apply();
    const power::LegacyCustomValues stored = rig.StoredValues();
    EXPECT_EQ(stored.monitor[0], 900u);
    EXPECT_EQ(stored.disks[1], 999999u * 60);
    EXPECT_EQ(stored.standby, c.standby);
    EXPECT_EQ(stored.hibernate, c.hibernate);
    EXPECT_FALSE(Find<QPushButton>(*rig.page, "Apply").isEnabled());
  }
}

// Minutes typed beyond six digits are clamped, and seconds that still show as the same
// minutes are kept rather than rounded down by an unrelated edit.
TEST(ProfileOsTab, MinutesBecomeSecondsWithinTheRange) {
  struct Case {
    int64_t minutes;
    uint32_t stored, expected;
  };
  const Case cases[] = {{15, 0, 900},           {1, 90, 90}, {2, 90, 120},
                        {1234567, 0, 59999940}, {-3, 60, 0}, {999999, 0xFFFFFFFF, 0xFFFFFFFF}};
  for (const Case& c : cases) {
    EXPECT_EQ(SecondsOf(c.minutes, c.stored), c.expected) << c.minutes << " min over " << c.stored;
  }
}

// The brightness lists hold the panel's levels; the chosen level is what is stored. A
// machine without a panel offers no LCD control at all.
TEST(ProfileOsTab, BrightnessListsHoldThePanelsLevels) {
  {
    Rig rig(kXpLaptop);
    auto& ac = Find<QComboBox>(*rig.page, "LcdAc");
    QStringList shown;
    for (int i = 0; i < ac.count(); ++i) shown << ac.itemText(i);
    EXPECT_EQ(shown.join(","), "20,30,40,50,60,70,80,90,100");
    EXPECT_FALSE(ac.isEnabled());  // until "Manage LCD panel brightness" is ticked
    Find<QCheckBox>(*rig.page, "ManageLcd").click();
    EXPECT_TRUE(ac.isEnabled());
    ac.setCurrentIndex(ac.findText("40"));
    auto& dc = Find<QComboBox>(*rig.page, "LcdDc");
    dc.setCurrentIndex(dc.findText("20"));
    rig.Apply();
    EXPECT_EQ(rig.StoredValues().lcd, (std::array<uint32_t, 2>{40, 20}));
    EXPECT_EQ(ReadLegacyLink(rig.Stored().osLink).flags,
              power::kDisableOsProcessorPolicy | power::kManagePanelBrightness);
  }
  {
    Rig rig(kXpDesktop);
    EXPECT_FALSE(Find<QCheckBox>(*rig.page, "ManageLcd").isEnabled());
    EXPECT_FALSE(Find<QComboBox>(*rig.page, "LcdAc").isEnabled());
    EXPECT_EQ(Find<QComboBox>(*rig.page, "LcdAc").count(), 0);
  }
}

// A plan chosen on the page is in force once the profile in use is applied; "Custom" is
// the program's own plan, which gets the settings edited on the page first.
TEST(ProfileOsTab, APlanChosenIsActivatedWhenTheProfileInUseIsApplied) {
  const auto powerSaver = *platform::ParsePlanGuid("a1841308-3541-4fab-bc81-f71556f20b4a");
  for (const char* choice : {"Power saver", "Custom"}) {
    SCOPED_TRACE(choice);
    Rig rig(kVistaLaptop);
    sim::SimOsPower& system = rig.program.Pc().OsPowerPolicy();
    const platform::PlanGuid before = system.Truth().activePlan;
    ASSERT_NE(before, powerSaver);
    EXPECT_EQ(Find<QCheckBox>(*rig.page, "UseOsPlan").isChecked(), false);
    Find<QCheckBox>(*rig.page, "UseOsPlan").click();
    auto& plans = Find<QComboBox>(*rig.page, "OsPlan");
    plans.setCurrentIndex(plans.findText(choice));
    ASSERT_GE(plans.currentIndex(), 0);
    // Setting 0 of the table (the disks' time-out), its AC value.
    dynamic_cast<OsPlanTab&>(rig.page->OsSettings()).SelectSetting(0);
    Find<QSpinBox>(*rig.page, "ActiveAc").setValue(1234);
    rig.Apply();

    const sim::SimOsPowerState after = system.Truth();
    const power::SchemeId own = rig.program.App().OsPower().OwnSchemeId();
    EXPECT_EQ(after.activePlan, std::string(choice) == "Custom" ? own : powerSaver);
    const auto& setting = power::PlanSettings()[0];
    const std::string key = platform::FormatPlanGuid(setting.subgroup) + "/" +
                            platform::FormatPlanGuid(setting.setting);
    if (std::string(choice) == "Custom") {
      for (const sim::SimPlan& plan : after.plans) {
        if (plan.guid == own) {
          EXPECT_EQ(plan.values.at(key)[0], 1234u);
        }
      }
    }
    const auto table = power::UnpackPlanSettings(
        std::span<const uint8_t, power::kPlanSettingsSize>(rig.Stored().osPolicy));
    EXPECT_EQ(table[0][0], 1234u);
  }
}

// The tree and the values read as the system describes them: its names, a choice by the
// names of its values, a percentage within 0-100. Where it describes nothing, the
// identifiers stand in and the value is a bare number.
TEST(ProfileOsTab, PlanSettingsAreShownAsTheSystemDescribesThem) {
  constexpr size_t kLidAction = 11;
  constexpr size_t kMaximumState = power::kProcessorMaximumSetting;
  for (const bool described : {true, false}) {
    SCOPED_TRACE(described ? "described" : "not described");
    Rig rig(kVistaLaptop);
    if (!described) {
      rig.program.Pc().OsPowerPolicy().Fail("plans.describe", platform::kPowerErrorAccessDenied);
      rig.page->LoadProfile(rig.Current());
    }
    auto& tab = dynamic_cast<OsPlanTab&>(rig.page->OsSettings());
    auto& tree = Find<QTreeWidget>(*rig.page, "PlanSettings");
    auto& active = Find<QSpinBox>(*rig.page, "ActiveAc");
    const auto& lid = power::PlanSettings()[kLidAction];

    tab.SelectSetting(static_cast<int>(kLidAction));
    const QTreeWidgetItem* item = tree.currentItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(0).toStdString(),
              described ? "Lid close action" : platform::FormatPlanGuid(lid.setting));
    EXPECT_EQ(item->parent()->text(0).toStdString(),
              described ? "Power buttons and lid" : platform::FormatPlanGuid(lid.subgroup));
    active.setValue(2);
    EXPECT_EQ(active.text().toStdString(), described ? "Hibernate" : "2");
    active.setValue(7);
    EXPECT_EQ(active.value(), described ? 3 : 7) << "a choice ends at its last value";

    tab.SelectSetting(static_cast<int>(kMaximumState));
    active.setValue(250);
    EXPECT_EQ(active.value(), described ? 100 : 250);
    EXPECT_EQ(active.text().toStdString(), described ? "100 %" : "250");
  }
}

// Where the system describes only some settings (Linux carries out the display
// brightness alone), the others are shown but cannot be chosen or edited, and the tab
// opens on one that can.
TEST(ProfileOsTab, SettingsTheSystemLeavesUndescribedBesideOthersAreNotEdited) {
  constexpr size_t kBrightness = 23;
  Rig rig(kVistaLaptop);
  OsSettingsOffer offer = rig.program.Program().OsSettings();
  ASSERT_EQ(offer.planSettings.size(), power::kPlanSettingCount);
  for (size_t i = 0; i < offer.planSettings.size(); ++i) {
    if (i != kBrightness) offer.planSettings[i] = {};
  }
  OsPlanTab tab(rig.program.App().Strings());
  tab.Show(rig.Stored(), offer);
  auto& tree = Find<QTreeWidget>(tab, "PlanSettings");
  ASSERT_NE(tree.currentItem(), nullptr);
  EXPECT_EQ(tree.currentItem()->text(0).toStdString(), "Display brightness");
  EXPECT_FALSE(tree.currentItem()->parent()->isDisabled());
  EXPECT_TRUE(Find<QSpinBox>(tab, "ActiveDc").isEnabled());

  const QTreeWidgetItem* disks = tree.topLevelItem(0);
  ASSERT_NE(disks, nullptr);
  EXPECT_TRUE(disks->isDisabled());
  EXPECT_TRUE(disks->child(0)->isDisabled());
  tab.SelectSetting(0);
  EXPECT_EQ(tree.currentItem()->text(0).toStdString(), "Display brightness") << "not chosen";
}

// "Defaults" puts a managed profile's OS settings back to a new profile's: the program's
// scheme unused, the processor policy to be switched off, the program's time-outs.
TEST(ProfileOsTab, DefaultsResetTheOsSettingsToANewProfiles) {
  Rig rig(kXpLaptop);
  rig.page->LoadProfile(kOnDemandProfile);
  const power::LegacyCustomValues program = rig.StoredValues();
  auto& schemes = Find<QComboBox>(*rig.page, "OsScheme");
  ASSERT_GT(schemes.count(), 1);
  schemes.setCurrentIndex(1);
  Find<QCheckBox>(*rig.page, "DisableOsProcessorPolicy").click();
  Find<QSpinBox>(*rig.page, "MonitorAc").setValue(program.monitor[0] / 60 + 7);
  rig.Apply();
  ASSERT_NE(rig.StoredValues(), program);
  ASSERT_NE(ReadLegacyLink(rig.Stored().osLink).index, -1);

  Find<QPushButton>(*rig.page, "Defaults").click();
  EXPECT_FALSE(Find<QCheckBox>(*rig.page, "UseOsScheme").isChecked());
  EXPECT_TRUE(Find<QCheckBox>(*rig.page, "DisableOsProcessorPolicy").isChecked());
  rig.Apply();
  EXPECT_EQ(ReadLegacyLink(rig.Stored().osLink),
            (LegacyLink{-1, power::kDisableOsProcessorPolicy}));
  EXPECT_EQ(rig.StoredValues(), program);
}

}  // namespace
}  // namespace pacetta::ui
