// The Settings page on its own: the language list and its fallback, the colour list and
// its chooser, the check boxes that follow each other, and the window it restyles.
#include "ui/pages/settings/settings_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QStandardItemModel>
#include <optional>

#include "app/strings/string_ids.h"
#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

using testing::PageModel;
using testing::RecordingHost;

template <typename T>
T& Find(QWidget& page, const QString& name) {
  T* control = page.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error("no control " + name.toStdString());
  return *control;
}

bool ItemEnabled(QComboBox& box, int row) {
  auto* items = qobject_cast<QStandardItemModel*>(box.model());
  return items && (items->item(row)->flags() & Qt::ItemIsEnabled);
}

TEST(SettingsPage, TheLanguageListOffersTheDefaultsAndTheModulesAndFallsBackToTheFirst) {
  testing::TestApp();
  PageModel model("k8-x2-laptop", false);
  RecordingHost host;
  // German is the user's language, with a module beside the program; the system's
  // language is Swedish, without one.
  model.languages.userDefault = 1031;
  model.languages.systemDefault = 1053;
  model.languages.systemDefaultAvailable = false;
  model.languages.installed = {{1031, "Deutsch – German", "/opt/pacetta/Pacetta1031.so"}};

  struct Stored {
    int32_t resourceLocaleId;
    int entry;
  };
  for (const Stored& stored : {Stored{0, 0}, Stored{1024, 1}, Stored{2048, 2}, Stored{1031, 3},
                               Stored{1053, 0}, Stored{5555, 0}, Stored{-1, 0}}) {
    SCOPED_TRACE(stored.resourceLocaleId);
    model.settings.window.resourceLocaleId = stored.resourceLocaleId;
    SettingsPage page({model, host});
    auto& list = Find<QComboBox>(page, "Language");
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.itemText(0), "Application default: English (United States) [1033]");
    EXPECT_EQ(list.itemText(1), "User default: Deutsch – German [1031]");
    EXPECT_EQ(list.itemText(2), "System default: Svenska – Swedish [1053]");
    EXPECT_EQ(list.itemText(3), "Deutsch – German [1031]");
    EXPECT_TRUE(ItemEnabled(list, 1));
    EXPECT_FALSE(ItemEnabled(list, 2));  // no module serves it
    EXPECT_EQ(list.currentIndex(), stored.entry);
    // What the page shows is what it holds: nothing to apply yet.
    EXPECT_FALSE(Find<QPushButton>(page, "Apply").isEnabled());
  }

  // Another language is stored, and the restart that shows it offered.
  model.settings.window.resourceLocaleId = 0;
  SettingsPage page({model, host});
  Find<QComboBox>(page, "Language").setCurrentIndex(3);
  host.answers = {true};
  Find<QPushButton>(page, "Apply").click();
  EXPECT_EQ(model.settings.window.resourceLocaleId, 1031);
  ASSERT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(host.questions[0], (testing::Box{kStrRestartRequired, kStrConfirmCaption}));
  EXPECT_EQ(model.calls, (std::vector<std::string>{"ApplyInterface", "RequestRestart"}));
  // Other changes ask nothing.
  Find<QCheckBox>(page, "RunMinimized").click();
  Find<QPushButton>(page, "Apply").click();
  EXPECT_EQ(host.questions.size(), 1u);
}

TEST(SettingsPage, ControlsFollowEachOtherAndApplyShowsWhatIsPending) {
  testing::TestApp();
  PageModel model("k8-x2-laptop", false);
  RecordingHost host;
  std::vector<uint32_t> asked;
  std::optional<uint32_t> answer;
  SettingsPage page({model, host}, [&](uint32_t current) {
    asked.push_back(current);
    return answer;
  });
  auto& apply = Find<QPushButton>(page, "Apply");
  auto& info = Find<QCheckBox>(page, "ShowInfoBalloons");
  auto& critical = Find<QCheckBox>(page, "ShowCriticalBalloons");
  auto& autoRun = Find<QCheckBox>(page, "AutoRun");
  auto& way = Find<QComboBox>(page, "AutoRunWay");
  EXPECT_FALSE(apply.isEnabled());

  // The way of starting at logon is chosen only while starting at logon is ticked; a
  // change taken back leaves nothing to apply.
  EXPECT_FALSE(way.isEnabled());
  autoRun.click();
  EXPECT_TRUE(way.isEnabled());
  EXPECT_TRUE(apply.isEnabled());
  autoRun.click();
  EXPECT_FALSE(way.isEnabled());
  EXPECT_FALSE(apply.isEnabled());

  // Information balloons come with the critical ones, and go with them.
  ASSERT_FALSE(info.isChecked());
  ASSERT_TRUE(critical.isChecked());
  critical.click();
  info.click();
  EXPECT_TRUE(critical.isChecked());
  critical.click();
  EXPECT_FALSE(info.isChecked());
  critical.click();

  // The swatch shows the chosen name's colour (0x00BBGGRR): "CPU load graph" is green.
  auto& names = Find<QComboBox>(page, "ColorName");
  auto& swatch = Find<QFrame>(page, "ColorSwatch");
  names.setCurrentIndex(4);
  EXPECT_EQ(swatch.palette().color(QPalette::Window), QColor(0, 255, 0));
  auto& change = Find<QPushButton>(page, "ChangeColor");
  change.click();  // cancelled
  EXPECT_EQ(asked, std::vector<uint32_t>{0x00FF00});
  EXPECT_EQ(page.Edited().colors, model.settings.colors);
  EXPECT_FALSE(apply.isEnabled());
  answer = 0x123456;
  change.click();
  EXPECT_EQ(swatch.palette().color(QPalette::Window), QColor(0x56, 0x34, 0x12));
  EXPECT_EQ(page.Edited().colors.cpuLoadGraph, 0x123456u);
  EXPECT_TRUE(apply.isEnabled());
  // With no name selected the first one is shown and changed, never one past the list.
  names.setCurrentIndex(-1);
  EXPECT_EQ(swatch.palette().color(QPalette::Window), QColor(0, 0, 0));
  answer = 0x000040;
  change.click();
  EXPECT_EQ(asked.back(), 0x000000u);
  EXPECT_EQ(page.Edited().colors.graphBackground, 0x000040u);
}

TEST(SettingsPage, ApplyRestylesTheWindowThePageLivesIn) {
  testing::TestApp();
  PageModel model("k8-x2-laptop", false);
  RecordingHost host;
  QWidget window;
  auto* page = MakeOwned<SettingsPage>(PageContext{model, host});
  page->setParent(&window);
  window.move(40, 30);
  window.show();
  const QPoint place = window.pos();

  Find<QCheckBox>(*page, "AlwaysOnTop").click();
  Find<QPushButton>(*page, "Apply").click();
  EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.pos(), place);
  // Without a tray to bring it back, the window keeps its taskbar button.
  Find<QCheckBox>(*page, "TaskbarButton").click();
  Find<QCheckBox>(*page, "AlwaysOnTop").click();
  Find<QPushButton>(*page, "Apply").click();
  EXPECT_EQ(model.settings.window.taskbarButton, 0);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(window.windowFlags() & Qt::WindowType_Mask, Qt::Window);
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace pacetta::ui
