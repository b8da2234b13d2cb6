#pragma once
// The main window as a page sees it: answers questions from a script (No when it runs
// out) and records every question, message and request.
#include <QApplication>
#include <cstdint>
#include <deque>
#include <vector>

#include "tests/ui/qt_app.h"
#include "ui/window/page.h"

namespace pacetta::ui::testing {

struct Box {
  uint32_t text = 0;
  uint32_t caption = 0;
  bool operator==(const Box&) const = default;
};

class RecordingHost final : public PageHost {
 public:
  bool AskYesNo(uint32_t textId, uint32_t captionId) override {
    questions.push_back({textId, captionId});
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  void Tell(uint32_t textId, uint32_t captionId, bool warning) override {
    messages.push_back({textId, captionId});
    warnings.push_back(warning);
  }
  void ProfilesChanged() override { ++profilesChanged; }
  void SelectRootItem(int) override {}
  void SelectProfileItem(int32_t) override {}

  std::deque<bool> answers;
  std::vector<Box> questions;
  std::vector<Box> messages;
  std::vector<bool> warnings;
  int profilesChanged = 0;
};

}  // namespace pacetta::ui::testing
