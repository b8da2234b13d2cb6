// The K7 advanced page: what it shows, when its transition group is enabled, what
// "Apply" hands over and when it offers the restart.
#include "ui/pages/advanced_k7/advanced_k7_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "app/strings/string_ids.h"
#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/page_catalogue.h"

namespace pacetta::ui {
namespace {

using testing::Box;
using testing::PageModel;
using testing::RecordingHost;

template <typename T>
T& Find(QWidget& page, const char* name) {
  T* control = page.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
  return *control;
}

// The K7's settings as the page sees them: a register and stored values of the test's
// choosing; every Apply recorded.
class FakeK7 final : public K7Advanced {
 public:
  void ApplyStored() override {}
  void Reapply() override {}
  K7PageFacts Facts() const override { return facts; }
  std::optional<k7::ClockControl> ReadHardware() override { return hardware; }
  K7RestartValues StoredRestartValues() const override { return stored; }
  bool RememberAdvanced() const override { return remember; }
  bool Apply(const k7::ClockControl& clock, const K7RestartValues& restart,
             bool rememberAdvanced) override {
    const bool changed = !(restart == stored);
    applied.push_back(clock);
    hardware = clock;
    stored = restart;
    remember = rememberAdvanced;
    return changed;
  }
  void KeepForNextStart() override { ++kept; }

  K7PageFacts facts{true};
  k7::ClockControl hardware{{3, 2, 2, 1, 3}, 0, 0, false, 0x200};
  K7RestartValues stored;
  bool remember = false;
  std::vector<k7::ClockControl> applied;
  int kept = 0;
};

struct PageRig {
  explicit PageRig(bool fidVidControl) : model("k7-mobile-laptop", false) {
    testing::TestApp();
    k7.facts.fidVidControl = fidVidControl;
    model.advanced = &k7;
  }
  // The page as the catalogue makes it, on the model's K7 settings.
  AdvancedK7Page& Page() {
    if (!page) page = MakeAdvancedK7Page({model, host});
    return dynamic_cast<AdvancedK7Page&>(*page);
  }
  FakeK7 k7;
  PageModel model;
  RecordingHost host;
  std::unique_ptr<ui::Page> page;
};

TEST(AdvancedK7Page, ShowsTheRegisterWithRampDelayFourOnTheLeft) {
  PageRig rig(true);
  rig.k7.hardware.rampDelays = {0, 1, 2, 3, 0};
  rig.k7.hardware.haltDivisor = 7;  // an encoding no list offers
  ASSERT_TRUE(HasAdvancedK7Page(rig.model));
  AdvancedK7Page& page = rig.Page();
  EXPECT_EQ(Find<QComboBox>(page, "RampDelay3").currentText(), "16");
  EXPECT_EQ(Find<QComboBox>(page, "RampDelay0").currentText(), "2");
  EXPECT_EQ(Find<QComboBox>(page, "HaltDivisor").currentIndex(), -1);
  EXPECT_EQ(Find<QComboBox>(page, "StopGrantDivisor").currentText(), "Divide by 8");
  EXPECT_EQ(Find<QComboBox>(page, "StopGrantDivisor").itemText(6), "Divide by 512");
  EXPECT_EQ(Find<QSpinBox>(page, "FullRamp").value(), 0x200);
  // Left to right: ramp delays 4, 3, 2, 1, 0.
  page.resize(480, 600);
  page.layout()->activate();
  int left = -1;
  for (const char* name : {"RampDelay4", "RampDelay3", "RampDelay2", "RampDelay1", "RampDelay0"}) {
    const int x = Find<QComboBox>(page, name).mapTo(&page, QPoint(0, 0)).x();
    EXPECT_GT(x, left) << name;
    left = x;
  }
  EXPECT_FALSE(Find<QPushButton>(page, "Apply").isEnabled());
}

TEST(AdvancedK7Page, TheTransitionGroupFollowsFidVidControl) {
  for (const bool control : {true, false}) {
    PageRig rig(control);
    AdvancedK7Page& page = rig.Page();
    EXPECT_EQ(Find<QGroupBox>(page, "TransitionGroup").isEnabled(), control);
    EXPECT_TRUE(Find<QComboBox>(page, "HaltDivisor").isEnabled());
  }
}

// "Apply" hands the edited fields over; only a changed restart-required value asks
// 10101, and "Yes" restarts. An edit not applied never leaves the page.
TEST(AdvancedK7Page, ApplyHandsTheEditsOverAndAsksOnlyForRestartValues) {
  struct Case {
    const char* name;
    std::function<void(QWidget&)> edit;
    bool asks;
  };
  const Case cases[] = {
      {"halt divisor", [](QWidget& p) { Find<QComboBox>(p, "HaltDivisor").setCurrentIndex(5); },
       false},
      {"APIC", [](QWidget& p) { Find<QCheckBox>(p, "ApicDisconnect").setChecked(true); }, false},
      {"FID delay", [](QWidget& p) { Find<QSpinBox>(p, "FidDelay").setValue(40); }, true},
      {"VID table", [](QWidget& p) { Find<QRadioButton>(p, "DesktopVids").setChecked(true); },
       true},
  };
  for (const Case& c : cases) {
    for (const bool yes : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (yes ? ", yes" : ", no"));
      PageRig rig(true);
      AdvancedK7Page& page = rig.Page();
      c.edit(page);
      page.ApplyWithoutAsking();
      EXPECT_TRUE(rig.k7.applied.empty());
      ASSERT_TRUE(Find<QPushButton>(page, "Apply").isEnabled());

      rig.host.answers = {yes};
      Find<QPushButton>(page, "Apply").click();
      ASSERT_EQ(rig.k7.applied.size(), 1u);
      EXPECT_EQ(rig.k7.applied.front(), page.EditedClock());
      EXPECT_EQ(rig.k7.stored, page.EditedRestartValues());
      EXPECT_FALSE(Find<QPushButton>(page, "Apply").isEnabled());
      const std::vector<Box> restart{{kStrRestartRequired, kStrConfirmCaption}};
      EXPECT_EQ(rig.host.questions, c.asks ? restart : std::vector<Box>{});
      const bool restarted = !rig.model.calls.empty() && rig.model.calls.back() == "RequestRestart";
      EXPECT_EQ(restarted, c.asks && yes);
    }
  }
  PageRig rig(true);
  AdvancedK7Page& page = rig.Page();
  Find<QComboBox>(page, "HaltDivisor").setCurrentIndex(5);
  EXPECT_EQ(page.EditedClock().haltDivisor, 5u);
  page.StoreState();
  EXPECT_EQ(rig.k7.kept, 1);
}

}  // namespace
}  // namespace pacetta::ui
