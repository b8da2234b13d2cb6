#include "ui/desktop_front_end.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>
#include <vector>

#include "app/window_messages.h"
#include "tests/ui/machine_model.h"
#include "tests/ui/qt_app.h"
#include "tests/ui/recording_page.h"

namespace pacetta::ui {
namespace {

using testing::MachineModel;
using testing::MadePages;
using testing::TestApp;

// Records the messages the window hands on; its orderly end lets the front end store
// what it holds, then "saves" the window state the model has by then.
class RecordingProgram final : public WindowProgram {
 public:
  RecordingProgram(FrontEnd& frontEnd, MachineModel* model = nullptr)
      : frontEnd_(frontEnd), model_(model) {}
  void OnPosted(const platform::WindowMessage& message) override {
    posted.push_back(message);
    frontEnd_.ShowStatus("profile " + std::to_string(message.wParam));
  }
  int64_t OnSent(const platform::WindowMessage&) override { return 0; }
  void OnRefreshTimer() override {
    if (++ticks == 2) frontEnd_.StopRefreshTimer();
  }
  void Shutdown() override {
    ++shutdowns;
    frontEnd_.ProgramEnding();
    if (model_) saved = model_->settings.window;
  }

  std::vector<platform::WindowMessage> posted;
  int ticks = 0;
  int shutdowns = 0;
  WindowSettings saved;

 private:
  FrontEnd& frontEnd_;
  MachineModel* model_;
};

// What the running program's start does with the front end: the window built on the
// model, then shown.
struct DesktopRig {
  explicit DesktopRig(bool tray = true)
      : model("k8-desktop"),
        frontEnd(testing::FullPageList(made), {[tray] { return tray; }}),
        window(frontEnd),
        program(frontEnd, &model) {
    window.Attach(&program);
    frontEnd.Attach(&window);
    frontEnd.SetCaption("Tarvello");
    frontEnd.ProgramReady(model);
    frontEnd.ShowWindow();
  }
  ~DesktopRig() { frontEnd.Attach(nullptr); }

  MachineModel model;
  MadePages made;
  DesktopFrontEnd frontEnd;
  MainWindow window;
  RecordingProgram program;
};

// Runs the loop until it ends, at most a generous bound (then the code is 3).
int RunLoop() {
  QTimer bound;
  bound.setSingleShot(true);
  QObject::connect(&bound, &QTimer::timeout, [] { QApplication::exit(3); });
  bound.start(60000);
  return QApplication::exec();
}

TEST(DesktopFrontEnd, MessagesFromAnotherThreadReachTheProgramAndItsCloseEndsInOrder) {
  TestApp();
  DesktopRig rig;
  ASSERT_TRUE(rig.frontEnd.Window());
  EXPECT_EQ(rig.frontEnd.Window()->windowTitle(), QString("Tarvello"));
  EXPECT_TRUE(rig.frontEnd.WindowVisible());
  rig.frontEnd.Window()->SelectRootItem(4);
  rig.frontEnd.Window()->Collapse();
  const QPoint at = rig.frontEnd.Window()->pos();

  std::thread sender([&] {
    rig.window.OnPosted({kMsgSetProfile, 1, kProfileSlotBoth});
    rig.window.OnPosted({platform::kWmClose, 0, 0});
  });
  EXPECT_EQ(RunLoop(), 0);
  sender.join();
  ASSERT_EQ(rig.program.posted.size(), 1u);
  EXPECT_EQ(rig.program.shutdowns, 1);
  // The window's state reached the model before the save.
  EXPECT_EQ(rig.program.saved.activePage, 4);
  EXPECT_EQ(rig.program.saved.collapsed, 1);
  EXPECT_EQ(QPoint(rig.program.saved.left, rig.program.saved.top), at);
  for (const auto& [order, page] : rig.made) EXPECT_EQ(page->stores, 1) << "page " << order;
}

// The close box only puts the window away: the program keeps running until its own
// close message.
TEST(DesktopFrontEnd, TheCloseBoxHidesTheWindowAndTheProgramRuns) {
  TestApp();
  DesktopRig rig;
  QTimer::singleShot(0, [&] {
    rig.frontEnd.Window()->close();
    EXPECT_FALSE(rig.frontEnd.WindowVisible());
    EXPECT_EQ(rig.program.shutdowns, 0);
    QApplication::exit(0);
  });
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_EQ(rig.program.shutdowns, 0);
  // A second instance brings it back.
  rig.window.Show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return rig.frontEnd.WindowVisible(); }, 60000));
  EXPECT_GE(rig.model.forcedRefreshes, 2);
}

TEST(DesktopFrontEnd, RefreshesReachTheShownPageAndTheTimerReachesTheProgram) {
  TestApp();
  DesktopRig rig;
  rig.frontEnd.StartRefreshTimer(std::chrono::milliseconds(5));
  rig.frontEnd.ShowStatus("CPU 0: ...");
  rig.frontEnd.HideWindow();
  EXPECT_FALSE(rig.frontEnd.WindowVisible());
  rig.frontEnd.ShowStatus("CPU 0: ...");
  EXPECT_EQ(rig.made[0]->refreshes, 1);
  // Ends once the program has seen two ticks (it stops the timer at the second).
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (rig.program.ticks >= 2) QApplication::exit(0);
  });
  poll.start(1);
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_EQ(rig.program.ticks, 2);
}

// A close request from a signal thread ends a page's question box first, which would
// otherwise hold the program until someone answers it.
TEST(DesktopFrontEnd, ACloseRequestFromASignalThreadEndsAPageQuestionAndTheProgram) {
  TestApp();
  DesktopRig rig;
  bool answer = true;
  QTimer::singleShot(0, [&] {
    answer = rig.frontEnd.Window()->AskYesNo(kStrProfileModified, kStrConfirmCaption);
  });
  std::thread signaller([&] {
    // Once the box is open; the window is asked on its own thread.
    std::atomic<bool> open{false};
    while (!open) {
      rig.window.RunOnLoop([&] { open = rig.frontEnd.Window()->ModalBoxOpen(); },
                           std::chrono::milliseconds(100));
    }
    rig.frontEnd.RequestClose();
  });
  EXPECT_EQ(RunLoop(), 0);
  signaller.join();
  EXPECT_FALSE(answer);
  EXPECT_EQ(rig.program.shutdowns, 1);
}

// The refresh gate skips a tick that comes more than 15 ms early, so the timer must never
// fire early: a coarse timer may, by up to 5 % of its period.
TEST(DesktopFrontEnd, TheRefreshTimerNeverFiresEarly) {
  TestApp();
  constexpr int kPeriodMs = 1000;
  constexpr int kTicks = 4;
  struct TimedProgram final : WindowProgram {
    void OnPosted(const platform::WindowMessage&) override {}
    int64_t OnSent(const platform::WindowMessage&) override { return 0; }
    void OnRefreshTimer() override {
      intervals.push_back(clock.restart());
      if (static_cast<int>(intervals.size()) == kTicks) QApplication::exit(0);
    }
    void Shutdown() override {}
    QElapsedTimer clock;
    std::vector<qint64> intervals;
  } program;
  DesktopFrontEnd frontEnd;
  MainWindow window(frontEnd);
  window.Attach(&program);
  frontEnd.Attach(&window);
  program.clock.start();
  frontEnd.StartRefreshTimer(std::chrono::milliseconds(kPeriodMs));
  EXPECT_EQ(RunLoop(), 0);
  frontEnd.StopRefreshTimer();
  for (const qint64 interval : program.intervals) EXPECT_GE(interval, kPeriodMs - 15);
}

}  // namespace
}  // namespace pacetta::ui
