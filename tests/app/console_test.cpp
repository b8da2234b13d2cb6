#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/console/console_front_end.h"
#include "app/console/console_message_boxes.h"
#include "app/window_messages.h"
#include "tests/test_support/captured_output.h"

namespace pacetta {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

using testing::Capture;

TEST(ConsoleMessageBoxes, ErrorsGoToStandardErrorAndQuestionsTakeTheSafeAnswer) {
  Capture out, err;
  ConsoleMessageBoxes boxes(std::nullopt, out.get(), err.get());
  EXPECT_EQ(boxes.Show("Disk on fire", "Error", MessageIcon::kError, MessageButtons::kOk),
            MessageAnswer::kOk);
  EXPECT_EQ(
      boxes.Show("Uninstall?", "Warning", MessageIcon::kExclamation, MessageButtons::kYesNoCancel),
      MessageAnswer::kCancel);
  EXPECT_EQ(boxes.Show("Sure?", "Confirm", MessageIcon::kQuestion, MessageButtons::kYesNo),
            MessageAnswer::kNo);
  EXPECT_EQ(boxes.Show("Hello", "Tarvello", MessageIcon::kInformation, MessageButtons::kOk),
            MessageAnswer::kOk);
  EXPECT_EQ(err.Text(), "[Error] Disk on fire\n[Warning] Uninstall?\n[Warning] -> Cancel\n");
  EXPECT_EQ(out.Text(), "[Confirm] Sure?\n[Confirm] -> No\n[Tarvello] Hello\n");
}

TEST(ConsoleMessageBoxes, AGivenAnswerIsTakenOnlyWhereItIsAButton) {
  Capture out, err;
  ConsoleMessageBoxes yes(MessageAnswer::kYes, out.get(), err.get());
  EXPECT_EQ(yes.Show("t", "c", MessageIcon::kExclamation, MessageButtons::kYesNoCancel),
            MessageAnswer::kYes);
  EXPECT_EQ(yes.Show("t", "c", MessageIcon::kQuestion, MessageButtons::kOkCancel),
            MessageAnswer::kCancel);
  EXPECT_EQ(yes.Show("t", "c", MessageIcon::kError, MessageButtons::kOk), MessageAnswer::kOk);
}

// Records what the window hands on, in order, and answers requests with their wParam.
class RecordingProgram final : public WindowProgram {
 public:
  void OnPosted(const platform::WindowMessage& message) override { posted.push_back(message); }
  int64_t OnSent(const platform::WindowMessage& message) override {
    sent.push_back(message);
    return static_cast<int64_t>(message.wParam) * 10;
  }
  void OnRefreshTimer() override { ++ticks; }
  void Shutdown() override { ++shutdowns; }

  std::vector<platform::WindowMessage> posted, sent;
  int ticks = 0;
  int shutdowns = 0;
};

TEST(ConsoleFrontEnd, MessagesFromOtherThreadsAreActedOnInOrderUntilClose) {
  Capture out;
  ConsoleFrontEnd frontEnd(out.get());
  MainWindow window(frontEnd);
  RecordingProgram program;
  window.Attach(&program);
  int64_t answer = -1;
  std::thread sender([&] {
    window.OnPosted({kMsgSetProfile, 2, kProfileSlotBoth});
    answer = window.OnSent({kMsgGetProfile, 7, 0});  // waits for the loop to answer
    window.OnPosted({kMsgResume, 0, 0});
    window.OnPosted({platform::kWmClose, 0, 0});
    window.OnPosted({kMsgShow, 0, 0});  // after the close: never acted on
  });
  frontEnd.Run(window);  // returns only once the close is acted on
  sender.join();
  EXPECT_EQ(answer, 70);
  ASSERT_EQ(program.posted.size(), 2u);
  EXPECT_EQ(program.posted[0].message, kMsgSetProfile);
  EXPECT_EQ(program.posted[0].wParam, 2u);
  EXPECT_EQ(program.posted[1].message, kMsgResume);
  ASSERT_EQ(program.sent.size(), 1u);
  EXPECT_EQ(program.shutdowns, 1);
  EXPECT_FALSE(window.RestartRequested());
  // A request after the close is answered at once, with the default answer.
  EXPECT_EQ(window.OnSent({kMsgGetProfile, 1, 0}), 0);
}

TEST(ConsoleFrontEnd, ACloseRequestBeforeTheLoopRunsIsNotLost) {
  Capture out;
  ConsoleFrontEnd frontEnd(out.get());
  MainWindow window(frontEnd);
  RecordingProgram program;
  window.Attach(&program);
  frontEnd.RequestClose();
  frontEnd.Run(window);  // would wait forever if the request were lost
  EXPECT_EQ(program.shutdowns, 1);
  EXPECT_TRUE(program.posted.empty());
}

TEST(ConsoleFrontEnd, ARestartMessageClosesInOrderWithTheRestartFlag) {
  Capture out;
  ConsoleFrontEnd frontEnd(out.get());
  MainWindow window(frontEnd);
  RecordingProgram program;
  window.Attach(&program);
  window.OnPosted({kMsgRestart, 0, 0});
  window.OnPosted({kMsgResume, 0, 0});  // queued before the close the restart posts
  frontEnd.Run(window);
  EXPECT_TRUE(window.RestartRequested());
  EXPECT_EQ(program.shutdowns, 1);
  EXPECT_EQ(program.posted.size(), 1u);
}

TEST(ConsoleFrontEnd, TheRefreshTimerTicksUntilItIsStopped) {
  Capture out;
  ConsoleFrontEnd frontEnd(out.get());
  MainWindow window(frontEnd);
  struct TickingProgram final : WindowProgram {
    ConsoleFrontEnd* frontEnd = nullptr;
    MainWindow* window = nullptr;
    int ticks = 0;
    void OnPosted(const platform::WindowMessage&) override {}
    int64_t OnSent(const platform::WindowMessage&) override { return 0; }
    void OnRefreshTimer() override {
      if (++ticks == 3) window->OnPosted({platform::kWmClose, 0, 0});
    }
    void Shutdown() override { frontEnd->StopRefreshTimer(); }
  } program;
  program.frontEnd = &frontEnd;
  program.window = &window;
  window.Attach(&program);
  frontEnd.StartRefreshTimer(std::chrono::milliseconds(5));
  frontEnd.Run(window);  // ends on the third tick's close
  EXPECT_EQ(program.ticks, 3);
}

TEST(ConsoleFrontEnd, StatusBalloonsAndNoticesAreLines) {
  Capture out;
  ConsoleFrontEnd frontEnd(out.get());
  frontEnd.ShowStatus("CPU 0: 800.00 MHz");
  frontEnd.ShowBalloon("Tarvello Saving settings...",
                       "Performance profile: Power saving\nPower source: AC power",
                       BalloonKind::kInformation, std::chrono::milliseconds(10000));
  frontEnd.ShowBalloon("CPU core overheat detected", "Current CPU throttle level: 50.00%",
                       BalloonKind::kWarning, std::chrono::milliseconds(10000));
  EXPECT_EQ(out.Text(),
            "CPU 0: 800.00 MHz\n"
            "[info] Tarvello Saving settings...: Performance profile: Power saving; Power "
            "source: AC power\n"
            "[warning] CPU core overheat detected: Current CPU throttle level: 50.00%\n");
  EXPECT_TRUE(frontEnd.WindowVisible());
  frontEnd.HideWindow();
  EXPECT_FALSE(frontEnd.WindowVisible());
}

}  // namespace
}  // namespace pacetta
