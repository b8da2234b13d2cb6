// The main window on simulated machines: which tree items exist, what "ActivePage" means,
// collapse and expand, where show window puts the window, and putting it away.
#include "ui/window/main_dialog.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <fstream>
#include <string>
#include <vector>

#include "tests/test_support/temp_folder.h"
#include "tests/ui/machine_model.h"
#include "tests/ui/qt_app.h"
#include "tests/ui/recording_page.h"

namespace pacetta::ui::testing {
namespace {

using pacetta::testing::TempFolder;

// A processor the program has no rules for and no kernel policy steers: an AMD K6
// (family 5), one logical processor, no power-management leaves. (A current AMD part is
// steered through the kernel's frequency policy.)
std::string UnknownMachine(const TempFolder& folder) {
  const std::string path = folder.File("unknown.test");
  std::ofstream(path) << "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n"
                         "CPUID 00000001: 00000580-00000800-00000000-008021BF\n"
                         "CPUID 80000000: 80000008-68747541-444D4163-69746E65\n"
                         "CPUID 80000007: 00000000-00000000-00000000-00000000\n"
                         "CPUID 80000008: 00003030-00000000-00000000-00000000\n";
  return path;
}

struct Item {
  std::string text;
  int children = 0;
};

std::vector<Item> RootItems(MainDialog& window) {
  std::vector<Item> items;
  QTreeWidget& tree = window.Tree();
  for (int i = 0; i < tree.topLevelItemCount(); ++i) {
    items.push_back(
        {tree.topLevelItem(i)->text(0).toStdString(), tree.topLevelItem(i)->childCount()});
  }
  return items;
}

std::vector<std::string> ChildTexts(QTreeWidgetItem* item) {
  std::vector<std::string> texts;
  for (int i = 0; i < item->childCount(); ++i)
    texts.push_back(item->child(i)->text(0).toStdString());
  return texts;
}

WindowOptions Tray(bool available) {
  return {[available] { return available; }};
}

TEST(MainDialog, RootAndProfileItemsFollowTheMachine) {
  TestApp();
  TempFolder folder;
  const std::vector<std::string> fixed = {"About...",   "Settings", "CPU info",    "Monitoring",
                                          "Management", "Profiles", "Battery info"};
  const std::vector<std::string> profiles = {"No management", "Power saving", "Maximal performance",
                                             "Performance on demand"};
  struct Case {
    std::string machine;
    AdvancedPage advanced;
    bool proFeatures;
    std::vector<std::string> optional;  // root items after "Battery info", in order
    std::vector<std::string> profileItems;
  };
  const std::vector<Case> cases = {
      {"k8-x2-laptop", AdvancedPage::kAmdK8, false, {"Advanced CPU settings"}, profiles},
      {"core2-duo-laptop", AdvancedPage::kCentrino, false, {"Advanced CPU settings"}, profiles},
      {"pentium-m-laptop",
       AdvancedPage::kCentrino,
       true,
       {"Advanced CPU settings", "Professional features"},
       {"No management", "Power saving", "Maximal performance", "Performance on demand", "Quiet"}},
      {UnknownMachine(folder), AdvancedPage::kNone, false, {}, {"No management"}},
      {UnknownMachine(folder),
       AdvancedPage::kNone,
       true,
       {"Professional features"},
       {"No management"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.machine + (c.proFeatures ? " with the events module" : ""));
    MachineModel model(c.machine, c.proFeatures);
    EXPECT_EQ(AdvancedPageFor(model.Processors().front()), c.advanced);
    if (c.proFeatures) {
      ASSERT_TRUE(model.settings.profiles.Add("Quiet"));
    }
    MadePages made;
    const auto pages = FullPageList(made);
    MainDialog window(model, pages, Tray(true));

    std::vector<std::string> expected = fixed;
    expected.insert(expected.end(), c.optional.begin(), c.optional.end());
    std::vector<std::string> texts;
    for (const Item& item : RootItems(window)) texts.push_back(item.text);
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(ChildTexts(window.Tree().topLevelItem(5)), c.profileItems);
    // Only pages that exist here were made.
    EXPECT_EQ(made.count(7) != 0, c.advanced != AdvancedPage::kNone);
    EXPECT_EQ(made.count(8), 0u);
    EXPECT_EQ(made.count(9) != 0, c.proFeatures);
  }
}

// The stored index names a place in the program's full root list, so it means the same
// page while some pages are not there; optional items count from 7 among those present.
TEST(MainDialog, ActivePageNamesTheSamePageWhateverIsMissing) {
  TestApp();
  MachineModel model("k8-desktop", true);
  MadePages made;
  const std::vector<PageRegistration> pages = {
      Recording(0, kStrPageAbout, made), Recording(4, kStrPageManagement, made),
      Recording(5, kStrPageProfiles, made), Recording(kProfilePage, kStrProfileCaption, made),
      Recording(9, kStrPageProFeatures, made)};
  struct Case {
    int stored;
    std::string caption;  // of the page selected at start
    int saved;            // what is stored again
  };
  const std::vector<Case> cases = {
      {4, "Management", 4}, {5, "Profiles", 5}, {7, "Professional features", 7},
      {3, "About...", 0},   {8, "About...", 0}, {-1, "About...", 0},
      {99, "About...", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("ActivePage " + std::to_string(c.stored));
    model.settings.window.activePage = c.stored;
    MainDialog window(model, pages, Tray(true));
    EXPECT_EQ(window.CaptionText().toStdString(), c.caption);
    EXPECT_EQ(window.State().activePage, c.saved);
  }

  // A profile item stores "Profiles"; its page is the Profile page loaded with it.
  model.settings.window.activePage = 0;
  MainDialog window(model, pages, Tray(true));
  window.SelectProfileItem(2);
  EXPECT_EQ(window.CaptionText(), QString("Profile: Maximal performance"));
  EXPECT_EQ(window.ShownPage(), made[kProfilePage]);
  EXPECT_EQ(made[kProfilePage]->loadedProfiles, std::vector<int32_t>{2});
  EXPECT_EQ(window.State().activePage, 5);
}

TEST(MainDialog, APageThatRefusesToBeLeftKeepsItsItem) {
  TestApp();
  MachineModel model("k8-desktop", true);
  MadePages made;
  const auto pages = FullPageList(made);
  MainDialog window(model, pages, Tray(true));
  window.SelectRootItem(4);
  ASSERT_EQ(window.ShownPage(), made[4]);
  EXPECT_EQ(made[4]->reloads, 1);

  made[4]->agree = false;
  window.SelectRootItem(1);
  EXPECT_EQ(window.ShownPage(), made[4]);
  EXPECT_EQ(window.Tree().currentItem()->text(0), QString("Management"));
  EXPECT_EQ(window.CaptionText(), QString("Management"));
  EXPECT_TRUE(made[4]->isVisibleTo(&window));
  EXPECT_FALSE(made[1]->isVisibleTo(&window));

  made[4]->agree = true;
  window.SelectRootItem(1);
  EXPECT_EQ(window.ShownPage(), made[1]);
  EXPECT_FALSE(made[4]->isVisibleTo(&window));
  EXPECT_EQ(made[1]->reloads, 1);
}

TEST(MainDialog, ProfileItemsFollowAddedRenamedAndDeletedProfiles) {
  TestApp();
  MachineModel model("core2-duo-laptop", true);
  ASSERT_TRUE(model.settings.profiles.Add("Quiet"));
  ASSERT_TRUE(model.settings.profiles.Add("Travel"));
  MadePages made;
  const auto pages = FullPageList(made);
  MainDialog window(model, pages, Tray(true));
  QTreeWidgetItem* profiles = window.Tree().topLevelItem(5);

  window.SelectProfileItem(5);
  ASSERT_EQ(window.CaptionText(), QString("Profile: Travel"));
  // Renamed: the same item, its new name in the caption, the page not asked to leave.
  SetName(*model.settings.profiles.At(5), "Train");
  window.ProfilesChanged();
  EXPECT_EQ(ChildTexts(profiles).back(), "Train");
  EXPECT_EQ(window.CaptionText(), QString("Profile: Train"));
  EXPECT_EQ(made[kProfilePage]->leaveQuestions, 0);

  // Deleted by its own page: "Profiles" is shown, without a leave question.
  ASSERT_TRUE(model.settings.profiles.Delete(5));
  window.ProfilesChanged();
  EXPECT_EQ(ChildTexts(profiles).size(), 5u);
  EXPECT_EQ(window.ShownPage(), made[5]);
  EXPECT_EQ(window.CaptionText(), QString("Profiles"));
  EXPECT_EQ(made[kProfilePage]->leaveQuestions, 0);

  // Added while another item is selected: that item stays.
  ASSERT_TRUE(model.settings.profiles.Add("Night"));
  window.ProfilesChanged();
  EXPECT_EQ(ChildTexts(profiles).back(), "Night");
  EXPECT_EQ(window.ShownPage(), made[5]);
}

TEST(MainDialog, CollapseAndExpandMoveThePagesByTheTreeWidth) {
  TestApp();
  MachineModel model("k8-desktop");
  MadePages made;
  const auto pages = FullPageList(made);
  const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();

  model.settings.window.left = desktop.left() + 300;
  model.settings.window.top = desktop.top() + 40;
  MainDialog window(model, pages, Tray(true));
  const QSize full = window.size();
  const int tree = window.findChild<QGroupBox*>()->width();
  ASSERT_GT(tree, 0);
  const QPoint pageAt = made[0]->pos();

  window.Collapse();
  EXPECT_EQ(window.size(), QSize(full.width() - tree, full.height()));
  EXPECT_EQ(window.pos(), QPoint(desktop.left() + 300, desktop.top() + 40));
  EXPECT_EQ(made[0]->pos(), pageAt - QPoint(tree, 0));
  EXPECT_EQ(made[4]->pos(), pageAt - QPoint(tree, 0));  // hidden pages move too
  EXPECT_EQ(window.State().collapsed, 1);

  window.Expand();
  EXPECT_EQ(window.size(), full);
  EXPECT_EQ(window.pos(), QPoint(desktop.left() + 300 - tree, desktop.top() + 40));
  EXPECT_EQ(made[0]->pos(), pageAt);
  EXPECT_EQ(window.State().collapsed, 0);

  // At the desktop's left edge the window widens to the right; the pages take their
  // places beside the tree all the same.
  window.Collapse();
  window.move(desktop.left() + 10, desktop.top() + 40);
  window.Expand();
  EXPECT_EQ(window.pos(), QPoint(desktop.left(), desktop.top() + 40));
  EXPECT_EQ(window.size(), full);
  EXPECT_EQ(made[0]->pos(), pageAt);

  // A window stored collapsed starts so, where it was.
  model.settings.window.collapsed = 1;
  MainDialog stored(model, pages, Tray(true));
  EXPECT_TRUE(stored.Collapsed());
  EXPECT_EQ(stored.size(), QSize(full.width() - tree, full.height()));
  EXPECT_EQ(stored.pos(), QPoint(desktop.left() + 300, desktop.top() + 40));
}

TEST(MainDialog, ShowWindowBringsAWindowStoredOffTheScreenBack) {
  TestApp();
  MachineModel model("k8-desktop");
  MadePages made;
  const auto pages = FullPageList(made);
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  // Beyond the right and bottom edges (a monitor since removed), and above and left.
  for (const QPoint stored : {QPoint(area.right() + 2000, area.bottom() + 1500),
                              QPoint(area.right() - 5, area.top() + 3), QPoint(-4000, -3000)}) {
    SCOPED_TRACE(stored.x());
    model.settings.window.left = stored.x();
    model.settings.window.top = stored.y();
    model.forcedRefreshes = 0;
    MainDialog window(model, pages, Tray(true));
    // Not corrected at creation: only show window does that.
    EXPECT_EQ(window.pos(), stored);
    window.ShowWindow();
    const QRect frame = window.frameGeometry();
    EXPECT_GE(frame.left(), area.left());
    EXPECT_GE(frame.top(), area.top());
    if (frame.width() <= area.width()) {
      EXPECT_LE(frame.right(), area.right());
    }
    if (frame.height() <= area.height()) {
      EXPECT_LE(frame.bottom(), area.bottom());
    }
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(model.forcedRefreshes, 1);
    // Refreshes reach the shown page only while the window is on screen.
    window.RefreshShownPage();
    window.hide();
    window.RefreshShownPage();
    EXPECT_EQ(made[0]->refreshes, 1);
  }
}

// Closing or minimising puts the window away once the shown page agrees: hidden where a
// tray can bring it back, minimised where only the task bar can.
TEST(MainDialog, ClosingOrMinimisingPutsTheWindowAwayAfterThePageAgrees) {
  TestApp();
  MachineModel model("k8-desktop");
  enum class Action { kClose, kMinimise, kEscape };
  struct Case {
    Action action;
    bool tray;
    bool agree;
    bool visible;    // afterwards
    bool minimised;  // afterwards
  };
  const std::vector<Case> cases = {
      {Action::kClose, true, true, false, false},    {Action::kClose, false, true, true, true},
      {Action::kClose, true, false, true, false},    {Action::kEscape, true, true, false, false},
      {Action::kMinimise, true, true, false, false}, {Action::kMinimise, false, true, true, true},
      {Action::kMinimise, true, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.action)) + (c.tray ? " tray" : " no tray") +
                 (c.agree ? " agrees" : " refuses"));
    MadePages made;
    const auto pages = FullPageList(made);
    MainDialog window(model, pages, Tray(c.tray));
    window.ShowWindow();
    RecordingPage& page = *made[0];
    page.agree = c.agree;
    const int reloads = page.reloads;
    switch (c.action) {
      case Action::kClose:
        window.close();
        break;
      case Action::kEscape:
        QTest::keyClick(&window, Qt::Key_Escape);
        break;
      case Action::kMinimise:
        window.showMinimized();
        break;
    }
    // The minimise is answered once the state change has run.
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.leaveQuestions == 1; }, 60000));
    QApplication::processEvents();
    EXPECT_EQ(page.leaveQuestions, 1);
    EXPECT_EQ(window.isVisible(), c.visible);
    EXPECT_EQ(window.isMinimized(), c.minimised);
    // Put away with the page's agreement: what it held unapplied is dropped.
    EXPECT_EQ(page.reloads, reloads + (c.agree ? 1 : 0));
  }
}

TEST(MainDialog, AlwaysOnTopAndTaskbarButtonShapeTheWindow) {
  TestApp();
  MachineModel model("k8-desktop");
  MadePages made;
  const auto pages = FullPageList(made);
  struct Case {
    int alwaysOnTop;
    int taskbarButton;
    bool tray;
    bool staysOnTop;
    bool tool;  // no taskbar button
  };
  // Without a tray the taskbar button stays: a minimised window needs it.
  const std::vector<Case> cases = {{0, 1, true, false, false},
                                   {1, 1, true, true, false},
                                   {0, 0, true, false, true},
                                   {1, 0, false, true, false}};
  for (const Case& c : cases) {
    model.settings.window.alwaysOnTop = c.alwaysOnTop;
    model.settings.window.taskbarButton = c.taskbarButton;
    MainDialog window(model, pages, Tray(c.tray));
    EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.staysOnTop);
    EXPECT_EQ(window.windowType() == Qt::Tool, c.tool);
    EXPECT_EQ(window.State().taskbarButton, c.taskbarButton);
  }
}

// The tray's "View/hide main window": a window away or behind comes forward, one in
// front goes away as the close box puts it.
TEST(MainDialog, ToggleShowsAWindowThatIsNotInFrontAndPutsAwayOneThatIs) {
  TestApp();
  MachineModel model("k8-desktop");
  MadePages made;
  const auto pages = FullPageList(made);
  MainDialog window(model, pages, Tray(true));
  window.ToggleWindow();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(model.forcedRefreshes, 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.isActiveWindow(); }, 60000));
  window.ToggleWindow();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(made[0]->leaveQuestions, 1);
  window.showMinimized();
  QApplication::processEvents();
  window.ToggleWindow();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
}

TEST(MainDialog, EndStoresTheWindowStateAndEveryPageAndClosesAQuestion) {
  TestApp();
  MachineModel model("pentium-m-laptop");
  model.settings.window.left = 120;
  model.settings.window.top = 80;
  model.settings.window.alwaysOnTop = 1;
  MadePages made;
  const auto pages = FullPageList(made);
  MainDialog window(model, pages, Tray(true));
  window.ShowWindow();
  window.SelectRootItem(4);
  window.Collapse();

  // The program ends while the shown page asks its question.
  made[4]->onLeave = [](PageHost& host) {
    return host.AskYesNo(kStrPageModified, kStrPageProfiles);
  };
  bool openWhenEnded = false;
  QTimer::singleShot(0, [&] {
    openWhenEnded = window.ModalBoxOpen();
    window.End();
  });
  QTimer::singleShot(60000, [&] { window.CloseBoxes(); });  // a bound, should the end not close it
  EXPECT_FALSE(window.PutAway());
  EXPECT_TRUE(openWhenEnded);
  EXPECT_FALSE(window.ModalBoxOpen());

  ASSERT_EQ(model.storedWindows.size(), 1u);
  const WindowSettings& stored = model.storedWindows.front();
  EXPECT_EQ(stored.left, window.x());
  EXPECT_EQ(stored.top, window.y());
  EXPECT_EQ(stored.collapsed, 1);
  EXPECT_EQ(stored.activePage, 4);
  EXPECT_EQ(stored.alwaysOnTop, 1);
  for (const auto& [order, page] : made) EXPECT_EQ(page->stores, 1) << "page " << order;
  // Nothing asks the user any more.
  EXPECT_FALSE(window.AskYesNo(kStrProfileModified, kStrConfirmCaption));
  EXPECT_FALSE(window.ModalBoxOpen());
}

}  // namespace
}  // namespace pacetta::ui::testing
