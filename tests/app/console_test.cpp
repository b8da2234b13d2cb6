#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "app/console/console_front_end.h"
#include "app/console/console_message_boxes.h"
#include "app/window_messages.h"

namespace pacetta {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// Captures what a FILE* receives.
class Capture {
 public:
  Capture() : file_(std::tmpfile()) {}
  ~Capture() { std::fclose(file_); }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;
  std::FILE* get() { return file_; }
  std::string Text() {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    for (int c; (c = std::fgetc(file_)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
  }

 private:
  std::FILE* file_;
};

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

TEST(ConsoleFrontEnd, MessagesFromOtherThreadsAreActedOnInOrderUntilClose) {
  Capture out;
  ConsoleFrontEnd frontEnd(out.get());
  MainWindow window(frontEnd);
  std::thread sender([&] {
    window.OnPosted({kMsgSetProfile, 2, kProfileSlotBoth});
    window.OnPosted({kMsgResume, 0, 0});
    window.OnPosted({0x9999, 0, 0});  // not a message of this window
    window.OnPosted({platform::kWmClose, 0, 0});
    window.OnPosted({kMsgShow, 0, 0});  // after the close: never acted on
  });
  frontEnd.Run(window);  // returns only once the close is acted on
  sender.join();
  const auto commands = window.ReceivedCommands();
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].message, kMsgSetProfile);
  EXPECT_EQ(commands[0].wParam, 2u);
  EXPECT_EQ(commands[1].message, kMsgResume);
  EXPECT_FALSE(window.RestartRequested());
  EXPECT_EQ(out.Text(),
            "Received message 0x0504 wParam 0x2 lParam 2\n"
            "Received message 0x0501 wParam 0x0 lParam 0\n");
}

TEST(ConsoleFrontEnd, ACloseRequestBeforeTheLoopRunsIsNotLost) {
  Capture out;
  ConsoleFrontEnd frontEnd(out.get());
  MainWindow window(frontEnd);
  frontEnd.RequestClose();
  frontEnd.Run(window);  // would wait forever if the request were lost
  EXPECT_TRUE(window.ReceivedCommands().empty());
}

TEST(ConsoleFrontEnd, ARestartMessageClosesWithTheRestartFlag) {
  Capture out;
  ConsoleFrontEnd frontEnd(out.get());
  MainWindow window(frontEnd);
  window.OnPosted({kMsgRestart, 0, 0});
  frontEnd.Run(window);
  EXPECT_TRUE(window.RestartRequested());
}

}  // namespace
}  // namespace pacetta
