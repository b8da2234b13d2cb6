// The Monitoring page on the running program of a simulated machine, on Qt's offscreen
// platform.
#include "ui/pages/monitoring/monitoring_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTabBar>
#include <QToolButton>
#include <map>
#include <stdexcept>

#include "tests/app/program_rig.h"
#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/recording_host.h"

namespace pacetta::ui {
namespace {

using pacetta::testing::ProgramRig;
using testing::RecordingHost;

template <typename T>
T& Find(QWidget& parent, const QString& name) {
  T* child = parent.findChild<T*>(name);
  if (child == nullptr) throw std::runtime_error("no child " + name.toStdString());
  return *child;
}

// The paints of every meter and graph of `parent`, by name ("Meter0", "Graph3").
std::map<QString, int> Paints(QWidget& parent) {
  std::map<QString, int> paints;
  for (const MonitorView* view : parent.findChildren<MonitorView*>()) {
    paints[view->objectName()] += view->Paints();
  }
  return paints;
}

int Sum(const std::map<QString, int>& paints) {
  int sum = 0;
  for (const auto& [name, count] : paints) sum += count;
  return sum;
}

// Runs refreshes until the program has taken `more` new samples.
bool TakeSamples(RunningProgram& program, MonitoringPage& page, uint64_t more) {
  const uint64_t until = program.Monitoring().Taken() + more;
  return ProgramRig::WaitFor([&] {
    program.ForceRefresh();
    // As the window does after each refresh, also when it should do nothing.
    page.RefreshShownValues();
    QApplication::processEvents();
    return program.Monitoring().Taken() >= until;
  });
}

// The stored "HideMonitoring" collapses its groups on every tab; the history fills while
// the page is hidden but nothing is drawn; once shown, each refresh draws the open groups
// of the tab in front and nothing else; the buttons collapse and open groups on every
// tab, and the groups collapsed are stored for the next start.
TEST(MonitoringPage, OnTheProgramDrawsOnlyWhatIsOnScreenAndKeepsItsGroups) {
  testing::TestApp();
  ProgramRig rig("k8-x2-laptop", "script:idle@300ms,full@300ms");
  rig.Store("RefreshInterval", 200);
  rig.Store("HideMonitoring", 0b1010);  // the load and the temperature groups
  ASSERT_TRUE(rig.Start());
  RunningProgram& program = rig.Program();
  RecordingHost host;
  MonitoringPage page({program, host});
  page.resize(400, 480);

  QTabBar& tabs = Find<QTabBar>(page, "ProcessorTabs");
  ASSERT_EQ(tabs.count(), 2);
  EXPECT_TRUE(tabs.isEnabled());
  EXPECT_EQ(tabs.tabText(1), "CPU 1");
  const auto collapsed = [&](int groups) {
    for (const char* panel : {"Panel0", "Panel1"}) {
      QWidget& tab = Find<QWidget>(page, panel);
      for (int group = 0; group < kMonitorGroupCount; ++group) {
        const bool hidden = (groups >> group & 1) != 0;
        const QString n = QString::number(group);
        EXPECT_EQ(Find<MonitorView>(tab, "Meter" + n).isHidden(), hidden) << panel << group;
        EXPECT_EQ(Find<MonitorView>(tab, "Graph" + n).isHidden(), hidden) << panel << group;
        EXPECT_EQ(Find<QToolButton>(tab, "Hide" + n).isHidden(), hidden) << panel << group;
        EXPECT_EQ(Find<QToolButton>(tab, "Show" + n).isHidden(), !hidden) << panel << group;
        EXPECT_FALSE(Find<ValueText>(tab, "Value" + n + "0").isHidden()) << panel << group;
      }
    }
  };
  collapsed(0b1010);
  EXPECT_EQ(page.HiddenGroups(), 0b1010);

  ASSERT_TRUE(TakeSamples(program, page, 3));
  EXPECT_EQ(Sum(Paints(page)), 0);

  page.show();
  ASSERT_TRUE(ProgramRig::WaitFor([&] {
    QApplication::processEvents();
    return Sum(Paints(Find<QWidget>(page, "Panel0"))) >= 4;
  }));
  page.Reload();
  QWidget& front = Find<QWidget>(page, "Panel0");
  EXPECT_TRUE(Find<ValueText>(front, "Value00").Text().startsWith("Core clock: 1"));
  EXPECT_TRUE(Find<ValueText>(front, "Value21").Text().endsWith(" V"));
  const auto shown = Paints(front);
  ASSERT_TRUE(TakeSamples(program, page, 2));
  const auto later = Paints(front);
  for (const char* open : {"Meter0", "Graph0", "Meter2", "Graph2"}) {
    EXPECT_GE(later.at(open), shown.at(open) + 2) << open;
  }
  for (const char* closed : {"Meter1", "Graph1", "Meter3", "Graph3"}) {
    EXPECT_EQ(later.at(closed), 0) << closed;
  }
  EXPECT_EQ(Sum(Paints(Find<QWidget>(page, "Panel1"))), 0);

  page.hide();
  const int hiddenFrom = Sum(Paints(page));
  ASSERT_TRUE(TakeSamples(program, page, 2));
  EXPECT_EQ(Sum(Paints(page)), hiddenFrom);

  // Opened on the second tab, collapsed on the first: both tabs follow.
  Find<QToolButton>(Find<QWidget>(page, "Panel1"), "Show1").click();
  Find<QToolButton>(Find<QWidget>(page, "Panel0"), "Hide0").click();
  collapsed(0b1001);
  page.StoreState();
  ASSERT_TRUE(rig.Close());
  EXPECT_EQ(rig.Stored("HideMonitoring"), 0b1001u);
}

// A single processor: one tab, "CPU 0", that cannot be chosen; its groups still can be
// collapsed and opened.
TEST(MonitoringPage, OneProcessorHasOneDisabledTab) {
  testing::TestApp();
  testing::PageModel model("k8-desktop", false);
  RecordingHost host;
  MonitoringPage page({model, host});
  QTabBar& tabs = Find<QTabBar>(page, "ProcessorTabs");
  ASSERT_EQ(tabs.count(), 1);
  EXPECT_EQ(tabs.tabText(0), "CPU 0");
  EXPECT_FALSE(tabs.isEnabled());
  QToolButton& hide = Find<QToolButton>(page, "Hide2");
  EXPECT_TRUE(hide.isEnabled());
  hide.click();
  EXPECT_EQ(page.HiddenGroups(), 0b0100);
}

}  // namespace
}  // namespace pacetta::ui
