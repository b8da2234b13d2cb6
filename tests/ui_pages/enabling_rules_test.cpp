// What each page lets a user change on processors that can do different things.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>
#include <fstream>

#include "app/desktop/profile_edits.h"
#include "tests/test_support/temp_folder.h"
#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/management/management_page.h"
#include "ui/pages/profile/profile_page.h"
#include "ui/pages/profiles/profiles_page.h"
#include "ui/pages/profiles/state_rows.h"

namespace pacetta::ui {
namespace {

using testing::PageModel;
using testing::RecordingHost;

// A processor of a vendor the program does not know: no control of any kind.
std::string UnknownMachine(const pacetta::testing::TempFolder& folder) {
  const std::string path = folder.File("unknown.test");
  std::ofstream(path) << "CPUID 00000000: 00000001-6E6B6E55-21215550-436E776F\n"  // UnknownCPU!!
                         "CPUID 00000001: 00000F41-00000800-00000000-0383FBFF\n"
                         "CPUID 80000000: 80000000-00000000-00000000-00000000\n";
  return path;
}

bool Enabled(QWidget& page, const char* name) {
  auto* control = page.findChild<QWidget*>(name);
  if (control == nullptr) {
    ADD_FAILURE() << "no control " << name << " on " << page.objectName().toStdString();
    return false;
  }
  return control->isEnabled();
}

struct Machine {
  const char* name;  // empty: the unknown processor
  bool states;       // FID/VID control or enhanced SpeedStep
  bool throttle;     // clock modulation
  bool twoProcessors;
  bool thermalMonitor;
  int rows;  // of the processor's performance-state table
};

TEST(PageEnabling, EveryPageOffersWhatTheProcessorCanDoAndNoMore) {
  testing::TestApp();
  pacetta::testing::TempFolder folder;
  const Machine machines[] = {
      {"k8-x2-laptop", true, false, true, false, 4},
      {"core2-duo-laptop", true, true, true, true, 8},
      {"pentium-m-laptop", true, true, false, true, 10},
      {"", false, false, false, false, 0},
  };
  for (const Machine& m : machines) {
    SCOPED_TRACE(*m.name ? m.name : "unknown processor");
    PageModel model(*m.name ? m.name : UnknownMachine(folder), true);
    RecordingHost host;
    const bool any = m.states || m.throttle;

    ManagementPage management({model, host});
    EXPECT_EQ(Enabled(management, "TransitionsMethod"), any);
    EXPECT_EQ(Enabled(management, "CpuLoadMethod"), any && m.twoProcessors);
    EXPECT_EQ(Enabled(management, "SuspendAction"), any);
    EXPECT_EQ(Enabled(management, "DefaultsOnExit"), any);
    EXPECT_EQ(Enabled(management, "DefaultsMode"), m.states);
    EXPECT_FALSE(Enabled(management, "DefaultFid")) << "only for custom defaults";
    EXPECT_EQ(Enabled(management, "OverheatAlert"), m.thermalMonitor);
    EXPECT_TRUE(Enabled(management, "ManageOsPowerSettings"));
    EXPECT_EQ(Enabled(management, "Defaults"), any);
    EXPECT_FALSE(Enabled(management, "Apply"));
    if (m.states) {
      management.findChild<QComboBox*>("DefaultsMode")->setCurrentIndex(2);
      EXPECT_TRUE(Enabled(management, "DefaultFid"));
      EXPECT_TRUE(Enabled(management, "DefaultVid"));
      EXPECT_TRUE(Enabled(management, "Apply")) << "a changed choice is pending";
    }

    ProfilesPage profiles({model, host});
    EXPECT_EQ(Enabled(profiles, "CurrentAc"), any);
    EXPECT_EQ(Enabled(profiles, "StartupDc"), any);
    EXPECT_EQ(profiles.Rows().rowCount(), m.rows);
    EXPECT_EQ(profiles.Rows().isEnabled(), m.states);
    EXPECT_EQ(Enabled(profiles, "AutoAdjustVid"), m.states);
    EXPECT_EQ(Enabled(profiles, "Defaults"), m.states);
    EXPECT_EQ(Enabled(profiles, "NewProfile"), any);
    EXPECT_FALSE(Enabled(profiles, "Apply"));

    // The first profile a fresh page loads, then the others.
    ProfilePage profile({model, host});
    profile.LoadProfile(kPowerSavingProfile);
    EXPECT_EQ(Enabled(profile, "UseFidVidAc"), m.states);
    EXPECT_EQ(Enabled(profile, "StatesDc"), m.states) << "a fresh install ticks PST";
    EXPECT_EQ(Enabled(profile, "UseThrottleDc"), m.throttle);
    EXPECT_FALSE(Enabled(profile, "ThrottlesDc")) << "throttling is off";
    EXPECT_FALSE(Enabled(profile, "TargetLoadAc")) << "one state has no load target";
    EXPECT_EQ(Enabled(profile, "Defaults"), any);
    EXPECT_FALSE(Enabled(profile, "Rename"));
    profile.LoadProfile(kNoManagementProfile);
    for (const char* name : {"UseFidVidAc", "UseThrottleDc", "TargetLoadAc", "Defaults", "Rename",
                             "Delete", "Apply"}) {
      EXPECT_FALSE(Enabled(profile, name)) << "No management: " << name;
    }
    profile.LoadProfile(kOnDemandProfile);
    EXPECT_EQ(Enabled(profile, "UpIntervalDc"), any);
    const std::optional<int32_t> custom = model.AddProfile("Quiet");
    ASSERT_TRUE(custom);
    profile.LoadProfile(*custom);
    EXPECT_TRUE(Enabled(profile, "Rename"));
    EXPECT_TRUE(Enabled(profile, "Delete"));
    EXPECT_EQ(profile.findChild<QTreeWidget*>("StatesAc")->topLevelItemCount(),
              static_cast<int>(ListedStateRows(model.settings.profiles.Table()).size()));
  }
}

// "Defaults" shows a fresh install's values; what the machine cannot do stays off, so
// nothing is pending on a machine that still has them.
TEST(PageEnabling, ManagementDefaultsLeaveNothingPendingOnAFreshMachine) {
  testing::TestApp();
  PageModel model("k8-x2-laptop", false);
  RecordingHost host;
  ManagementPage page({model, host});
  auto& apply = *page.findChild<QWidget*>("Apply");
  auto& defaults = *page.findChild<QPushButton*>("Defaults");
  defaults.click();
  EXPECT_FALSE(apply.isEnabled());
  page.findChild<QComboBox*>("SuspendAction")->setCurrentIndex(2);
  EXPECT_TRUE(apply.isEnabled());
  defaults.click();
  EXPECT_EQ(page.findChild<QComboBox*>("SuspendAction")->currentIndex(), 0);
  EXPECT_FALSE(apply.isEnabled());
}

}  // namespace
}  // namespace pacetta::ui
