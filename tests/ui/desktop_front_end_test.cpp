#include "ui/desktop_front_end.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>
#include <thread>

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

TEST(DesktopFrontEnd, MessagesFromAnotherThreadReachTheWindowAndCloseEndsTheLoop) {
  App();
  DesktopFrontEnd frontEnd;
  MainWindow window(frontEnd);
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
  ASSERT_EQ(window.ReceivedCommands().size(), 1u);
  const auto* log = frontEnd.Dialog().findChild<QPlainTextEdit*>();
  ASSERT_TRUE(log);
  EXPECT_EQ(log->toPlainText(), QString("Received message 0x0504 wParam 0x1 lParam 2"));
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

}  // namespace
}  // namespace pacetta::ui
