// The pages on the running program of a simulated K8 laptop: what a user does on them
// reaches the processors' registers, and a restart asked for on them happens.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>

#include "app/desktop/profile_edits.h"
#include "tests/app/program_rig.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/management/management_page.h"
#include "ui/pages/profile/profile_page.h"
#include "ui/pages/profiles/profiles_page.h"

namespace pacetta::ui {
namespace {

using pacetta::testing::ProgramRig;
using testing::RecordingHost;

template <typename T>
T& Find(QWidget& page, const QString& name) {
  T* control = page.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error("no control " + name.toStdString());
  return *control;
}

// Ticks (or unticks) the state list's item of table row `row` in both columns.
void Tick(QWidget& page, int32_t row, bool ticked = true) {
  for (const char* side : {"Ac", "Dc"}) {
    Find<QCheckBox>(page, QStringLiteral("UseFidVid") + side).setChecked(true);
    QTreeWidget& states = Find<QTreeWidget>(page, QStringLiteral("States") + side);
    for (int i = 0; i < states.topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = states.topLevelItem(i);
      if (item->data(0, Qt::UserRole).toInt() == row)
        item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
    }
  }
}

int TickedCount(QWidget& page, const char* list) {
  QTreeWidget& states = Find<QTreeWidget>(page, list);
  int ticked = 0;
  for (int i = 0; i < states.topLevelItemCount(); ++i)
    ticked += states.topLevelItem(i)->checkState(0) == Qt::Checked ? 1 : 0;
  return ticked;
}

void Select(QWidget& profiles, int32_t profile) {
  Find<QComboBox>(profiles, "CurrentAc").setCurrentIndex(profile);
  Find<QComboBox>(profiles, "CurrentDc").setCurrentIndex(profile);
  Find<QPushButton>(profiles, "Apply").click();
}

TEST(PagesOnTheProgram, EditingAProfileOnItsPageMovesTheSimulatedProcessors) {
  testing::TestApp();
  ProgramRig rig("k8-x2-laptop", "full");
  ASSERT_TRUE(rig.Start());
  RunningProgram& program = rig.Program();
  RecordingHost host;
  ProfilesPage profiles({program, host});
  ProfilePage profile({program, host});
  const PStateTable& table = program.Settings().profiles.Table();
  const std::vector<int32_t> rows = ListedStateRows(table);
  ASSERT_GE(rows.size(), 2u);
  const PState slowest = *table.Row(rows.front());
  const PState fastest = *table.Row(rows.back());
  ASSERT_LT(slowest.fid, fastest.fid);
  const auto runs = [&](const PState& state) {
    return ProgramRig::WaitFor(
        [&] { return rig.Runs(0, state.fid, state.vid) && rig.Runs(1, state.fid, state.vid); });
  };

  // "Performance on demand" over both states, in use under full load: the fastest.
  profile.LoadProfile(kOnDemandProfile);
  Tick(profile, rows.front());
  Tick(profile, rows.back());
  Find<QPushButton>(profile, "Apply").click();
  Select(profiles, kOnDemandProfile);
  EXPECT_EQ(program.CurrentProfile(), kOnDemandProfile);
  EXPECT_TRUE(runs(fastest));
  // Left with the slowest state only, the profile in use holds it whatever the load.
  Tick(profile, rows.back(), false);
  Find<QPushButton>(profile, "Apply").click();
  EXPECT_TRUE(runs(slowest));

  // "Power saving" holds one state: ticking the fastest unticks the slowest.
  profile.LoadProfile(kPowerSavingProfile);
  Tick(profile, rows.front());
  Tick(profile, rows.back());
  EXPECT_EQ(TickedCount(profile, "StatesAc"), 1);
  EXPECT_EQ(TickedCount(profile, "StatesDc"), 1);
  Find<QPushButton>(profile, "Apply").click();
  Select(profiles, kPowerSavingProfile);
  EXPECT_TRUE(runs(fastest));
  EXPECT_TRUE(host.questions.empty());
  ASSERT_TRUE(rig.Close());
  EXPECT_TRUE(rig.Pc().Violations().empty());
}

TEST(PagesOnTheProgram, ARestartAgreedToOnTheManagementPageRestartsTheProgram) {
  testing::TestApp();
  for (const bool yes : {true, false}) {
    ProgramRig rig("k8-x2-laptop");
    ASSERT_TRUE(rig.Start());
    RecordingHost host;
    host.answers = {yes};
    ManagementPage page({rig.Program(), host});
    Find<QCheckBox>(page, "RunHltOnIdle").setChecked(true);
    Find<QPushButton>(page, "Apply").click();
    EXPECT_EQ(host.questions.size(), 1u);
    ASSERT_TRUE(rig.Close());
    EXPECT_EQ(rig.Window().RestartRequested(), yes);
    // Stored for the next start either way; this run's helpers were not started.
    EXPECT_EQ(rig.Stored("RunHltOnIdle"), 1u);
  }
}

}  // namespace
}  // namespace pacetta::ui
