#include "ui/desktop_front_end.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <thread>
#include <vector>

#include "app/window_messages.h"

namespace pacetta::ui {
namespace {

// One application object for the whole program, on the offscreen platform.
QApplication& App() {
  static int argc = 1;
  static char name[] = "test_ui";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// Records the messages the window hands on; shows each as the status line.
class RecordingProgram final : public WindowProgram {
 public:
  explicit RecordingProgram(FrontEnd& frontEnd) : frontEnd_(frontEnd) {}
  void OnPosted(const platform::WindowMessage& message) override {
    posted.push_back(message);
    frontEnd_.ShowStatus("profile " + std::to_string(message.wParam));
  }
  int64_t OnSent(const platform::WindowMessage&) override { return 0; }
  void OnRefreshTimer() override {
    if (++ticks == 2) frontEnd_.StopRefreshTimer();
  }
  void Shutdown() override { ++shutdowns; }

  std::vector<platform::WindowMessage> posted;
  int ticks = 0;
  int shutdowns = 0;

 private:
  FrontEnd& frontEnd_;
};

TEST(DesktopFrontEnd, MessagesFromAnotherThreadReachTheWindowAndCloseEndsTheLoop) {
  App();
  DesktopFrontEnd frontEnd;
  MainWindow window(frontEnd);
  RecordingProgram program(frontEnd);
  window.Attach(&program);
  frontEnd.Attach(&window);
  frontEnd.SetCaption("Tarvello");
  EXPECT_EQ(frontEnd.Dialog().windowTitle(), QString("Tarvello"));
  EXPECT_FALSE(frontEnd.WindowVisible());
  frontEnd.ShowWindow();
  EXPECT_TRUE(frontEnd.WindowVisible());

  std::thread sender([&] {
    window.OnPosted({kMsgSetProfile, 1, kProfileSlotBoth});
    window.OnPosted({platform::kWmClose, 0, 0});
  });
  // A bound on the loop, so a lost close fails the test instead of hanging it.
  QTimer::singleShot(60000, [] { QApplication::exit(3); });
  EXPECT_EQ(QApplication::exec(), 0);
  sender.join();
  ASSERT_EQ(program.posted.size(), 1u);
  EXPECT_EQ(program.shutdowns, 1);
  const auto* status = frontEnd.Dialog().findChild<QLabel*>("Status");
  ASSERT_TRUE(status);
  EXPECT_EQ(status->text(), QString("profile 1"));
}

TEST(DesktopFrontEnd, TheRefreshTimerReachesTheWindowAndBalloonsAreShown) {
  App();
  DesktopFrontEnd frontEnd;
  MainWindow window(frontEnd);
  RecordingProgram program(frontEnd);
  window.Attach(&program);
  frontEnd.Attach(&window);
  frontEnd.StartRefreshTimer(std::chrono::milliseconds(5));
  frontEnd.ShowBalloon("Pacetta", "Saving settings...", BalloonKind::kInformation,
                       std::chrono::milliseconds(10000));
  // Ends once the program has seen two ticks (it stops the timer at the second).
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (program.ticks >= 2) QApplication::exit(0);
  });
  poll.start(1);
  QTimer::singleShot(60000, [] { QApplication::exit(3); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(program.ticks, 2);
  const auto* log = frontEnd.Dialog().findChild<QPlainTextEdit*>();
  ASSERT_TRUE(log);
  EXPECT_EQ(log->toPlainText(), QString("Pacetta: Saving settings..."));
  frontEnd.HideWindow();
  EXPECT_FALSE(frontEnd.WindowVisible());
}

TEST(DesktopFrontEnd, ClosingTheWindowClosesTheProgramInOrder) {
  App();
  DesktopFrontEnd frontEnd;
  MainWindow window(frontEnd);
  frontEnd.Attach(&window);
  frontEnd.ShowWindow();
  QTimer::singleShot(0, [&] { frontEnd.Dialog().reject(); });
  QTimer::singleShot(60000, [] { QApplication::exit(3); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(frontEnd.WindowVisible());
}

TEST(DesktopFrontEnd, ACloseRequestFromASignalThreadPostsTheCloseMessage) {
  App();
  DesktopFrontEnd frontEnd;
  MainWindow window(frontEnd);
  frontEnd.Attach(&window);
  std::thread signaller([&] { frontEnd.RequestClose(); });
  QTimer::singleShot(60000, [] { QApplication::exit(3); });
  EXPECT_EQ(QApplication::exec(), 0);
  signaller.join();
}

// The refresh gate skips a tick that comes more than 15 ms early, so the timer must never
// fire early: a coarse timer may, by up to 5 % of its period.
TEST(DesktopFrontEnd, TheRefreshTimerNeverFiresEarly) {
  App();
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
  QTimer::singleShot(60000, [] { QApplication::exit(3); });
  EXPECT_EQ(QApplication::exec(), 0);
  frontEnd.StopRefreshTimer();
  for (const qint64 interval : program.intervals) EXPECT_GE(interval, kPeriodMs - 15);
}

}  // namespace
}  // namespace pacetta::ui
