// The AMD K8 "Advanced CPU settings" page: what it lets a user change on which processor,
// how its edits are kept, loaded and handed over, and the questions it asks.
#include "ui/pages/advanced_k8/advanced_k8_page.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <stdexcept>

#include "app/strings/string_ids.h"
#include "cpu/advanced/k8/k8_presets.h"
#include "tests/ui_pages/advanced_k8_fake.h"
#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/recording_host.h"

namespace pacetta::ui {
namespace {

using testing::Box;
using testing::FakeK8Advanced;
using testing::PageModel;
using testing::RecordingHost;

template <typename T>
T& Find(QWidget& page, const char* name) {
  T* control = page.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
  return *control;
}

bool Enabled(QWidget& page, const char* name) {
  return Find<QWidget>(page, name).isEnabled();
}

// A revision F dual-core with an alternate VID: 0.800 V to 1.350 V in 25 mV steps.
K8PageFacts RevisionF() {
  K8PageFacts facts;
  facts.altVidProcessor = true;
  facts.extendedModel = 6;
  facts.fidVidControl = true;
  facts.partnerCore = true;
  for (int i = 0; i <= 22; ++i) facts.altVidVoltages.push_back(0.800 + 0.025 * i);
  return facts;
}

k8::CpuSetup SomeHardware() {
  k8::CpuSetup setup;
  for (size_t state = 0; state < k8::kAcpiStates; ++state) {
    setup.modes[state].divisor = static_cast<uint32_t>(state % 7);
  }
  setup.goodPhaseError = 2;
  setup.rampHysteresis = 3;
  setup.pllLockUs = 50;
  setup.altVidIndex = 4;
  setup.vsTimeUs = 100;
  return setup;
}

// The page with its own model and host on `k8`'s facts and values.
struct Rig {
  explicit Rig(FakeK8Advanced& fake) : k8(fake), page({model, host}, fake) {}
  QAction& Preset(const char* button, int entry) {
    return *Find<QToolButton>(page, button).menu()->actions().at(entry);
  }
  PageModel model{"k8-x2-laptop", false};
  RecordingHost host;
  FakeK8Advanced& k8;
  AdvancedK8Page page;
};

// A register image of four mode bytes from state `first` on.
uint32_t Image(const std::array<k8::PowerMode, k8::kAcpiStates>& modes, size_t first) {
  uint32_t image = 0;
  for (size_t n = 0; n < 4; ++n) {
    const k8::PowerMode& m = modes[first + n];
    const uint32_t byte = m.divisor << 4 | uint32_t{m.altVidChange} << 3 |
                          uint32_t{m.fidVidChange} << 2 | uint32_t{m.northbridgeLowPower} << 1 |
                          uint32_t{m.cpuLowPower};
    image |= byte << (8 * n);
  }
  return image;
}

TEST(AdvancedK8Page, OffersWhatTheProcessorHasAndNoMore) {
  testing::TestApp();
  struct Kind {
    const char* name;
    bool altVid, fidVid, hundredMhz, partner;
  };
  const Kind kinds[] = {
      {"revision F, dual-core", true, true, false, true},
      {"revision C, single-core, no FID/VID control", false, false, false, false},
      {"alternate VID, 100 MHz multiplier steps", true, true, true, true},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    FakeK8Advanced k8;
    k8.facts = RevisionF();
    k8.facts.altVidProcessor = kind.altVid;
    k8.facts.fidVidControl = kind.fidVid;
    k8.facts.hundredMhzSteps = kind.hundredMhz;
    k8.facts.partnerCore = kind.partner;
    k8.hardware = SomeHardware();
    Rig rig(k8);
    QWidget& page = rig.page;

    EXPECT_EQ(Enabled(page, "AltVidChange"), kind.altVid);
    EXPECT_EQ(Enabled(page, "AltVid"), kind.altVid);
    EXPECT_EQ(Enabled(page, "AltVidStabilization"), kind.altVid);
    EXPECT_EQ(Enabled(page, "AutoAdjust"), kind.altVid);
    EXPECT_EQ(Find<QComboBox>(page, "RampHysteresis").count(), kind.altVid ? 12 : 8);
    EXPECT_EQ(Find<QComboBox>(page, "ClockDivisor").count(), 7) << "value 7 divides by nothing";
    EXPECT_TRUE(Enabled(page, "FidVidChange"));
    EXPECT_TRUE(Enabled(page, "PllLockTime"));

    EXPECT_EQ(Enabled(page, "StopGrantTimeout"), kind.fidVid);
    EXPECT_EQ(Enabled(page, "SchemeOfficialHalf"), kind.fidVid);
    EXPECT_EQ(Enabled(page, "SchemeDirectHalf"), kind.fidVid);
    EXPECT_EQ(Enabled(page, "SchemeOfficialWhole"), kind.fidVid && !kind.hundredMhz);
    EXPECT_EQ(Enabled(page, "SchemeDirectWhole"), kind.fidVid && !kind.hundredMhz);

    EXPECT_EQ(Enabled(page, "TscSyncEnable"), kind.partner);
    EXPECT_FALSE(Enabled(page, "TscSyncSource")) << "the synchroniser is off";
    Find<QCheckBox>(page, "TscSyncEnable").setChecked(true);
    EXPECT_EQ(Enabled(page, "TscSyncSource"), kind.partner);
    EXPECT_EQ(Enabled(page, "TscSyncInterval"), kind.partner);

    EXPECT_TRUE(Enabled(page, "Refresh"));
    EXPECT_TRUE(Enabled(page, "Apply")) << "the synchroniser was ticked";
    EXPECT_TRUE(rig.host.questions.empty());
  }
}

TEST(AdvancedK8Page, EachAcpiStateKeepsItsEditsWhileAnotherIsShown) {
  testing::TestApp();
  FakeK8Advanced k8;
  k8.facts = RevisionF();
  k8.hardware = SomeHardware();
  Rig rig(k8);
  QWidget& page = rig.page;
  auto& state = Find<QComboBox>(page, "AcpiState");
  auto& divisor = Find<QComboBox>(page, "ClockDivisor");
  EXPECT_FALSE(Enabled(page, "Apply"));

  state.setCurrentIndex(1);
  EXPECT_EQ(divisor.currentIndex(), 1) << "state 1 as read";
  divisor.setCurrentIndex(5);
  Find<QCheckBox>(page, "CpuLowPower").setChecked(true);
  state.setCurrentIndex(6);
  EXPECT_EQ(divisor.currentIndex(), 6) << "state 6 as read";
  EXPECT_FALSE(Find<QCheckBox>(page, "CpuLowPower").isChecked());
  Find<QCheckBox>(page, "FidVidChange").setChecked(true);
  state.setCurrentIndex(1);
  EXPECT_EQ(divisor.currentIndex(), 5);
  EXPECT_TRUE(Find<QCheckBox>(page, "CpuLowPower").isChecked());
  EXPECT_FALSE(Find<QCheckBox>(page, "FidVidChange").isChecked());

  k8::CpuSetup expected = SomeHardware();
  expected.modes[1].divisor = 5;
  expected.modes[1].cpuLowPower = true;
  expected.modes[6].fidVidChange = true;
  EXPECT_EQ(rig.page.EditedSetup(), expected);
  EXPECT_TRUE(Enabled(page, "Apply"));
}

TEST(AdvancedK8Page, PresetsLoadTheRevisionsImagesWithoutApplyingThem) {
  testing::TestApp();
  struct Case {
    uint32_t extendedModel;
    bool altVid;
    k8::AcpiPreset preset;
    uint32_t pmm0, pmm1;
  };
  const Case cases[] = {
      {4, true, k8::AcpiPreset::kMobileDiscreteGraphics, 0x6B076B61, 0x61133113},
      {12, true, k8::AcpiPreset::kDesktopDiscreteGraphics, 0x23076361, 0x21132113},
      {6, true, k8::AcpiPreset::kMobileDiscreteGraphics, 0x6B076B31, 0x61133113},
      {3, true, k8::AcpiPreset::kDesktopUmaGraphics, 0x23070000, 0x21132113},
      {1, false, k8::AcpiPreset::kServerFidVidIncapable, 0x23030000, 0x00132113},
      {1, false, k8::AcpiPreset::kMobileUmaGraphics, 0x33073331, 0x31133113},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.extendedModel) + ", preset " +
                 ::testing::PrintToString(static_cast<int>(c.preset)));
    FakeK8Advanced k8;
    k8.facts = RevisionF();
    k8.facts.extendedModel = c.extendedModel;
    k8.facts.altVidProcessor = c.altVid;
    Rig rig(k8);
    Find<QComboBox>(rig.page, "AcpiState").setCurrentIndex(1);
    rig.Preset("AcpiPresets", static_cast<int>(c.preset)).trigger();

    const k8::CpuSetup edited = rig.page.EditedSetup();
    EXPECT_EQ(Image(edited.modes, 0), c.pmm0);
    EXPECT_EQ(Image(edited.modes, 4), c.pmm1);
    EXPECT_EQ(Find<QComboBox>(rig.page, "ClockDivisor").currentIndex(),
              static_cast<int>(edited.modes[1].divisor))
        << "the state in view shows the preset";
    EXPECT_TRUE(rig.host.questions.empty()) << "a preset's alternate-VID bit asks nothing";
    EXPECT_TRUE(k8.applied.empty());
    EXPECT_TRUE(Enabled(rig.page, "Apply"));
  }

  struct Clock {
    bool altVid;
    k8::ClockPreset preset;
    uint32_t goodPhaseError, rampHysteresis, pllLockUs;
  };
  const Clock clocks[] = {
      {true, k8::ClockPreset::kUnbufferedDimms, 1, 7, 1},
      {false, k8::ClockPreset::kRegisteredDimms, 7, 7, 100},
  };
  for (const Clock& c : clocks) {
    FakeK8Advanced k8;
    k8.facts = RevisionF();
    k8.facts.altVidProcessor = c.altVid;
    k8.hardware = SomeHardware();
    Rig rig(k8);
    rig.Preset("ClockPresets", static_cast<int>(c.preset)).trigger();
    const k8::CpuSetup edited = rig.page.EditedSetup();
    EXPECT_EQ(edited.goodPhaseError, c.goodPhaseError);
    EXPECT_EQ(edited.rampHysteresis, c.rampHysteresis);
    EXPECT_EQ(edited.pllLockUs, c.pllLockUs);
    EXPECT_EQ(edited.modes, SomeHardware().modes);
    EXPECT_TRUE(k8.applied.empty());
  }
}

TEST(AdvancedK8Page, AutoAdjustTimesTheReturnFromTheAlternateVidToTheTopOfTheRange) {
  testing::TestApp();
  FakeK8Advanced k8;
  k8.facts = RevisionF();
  k8.hardware = SomeHardware();
  k8.hardware.altVidIndex.reset();  // the hardware's code lies outside the list
  Rig rig(k8);
  QWidget& page = rig.page;
  EXPECT_EQ(Find<QComboBox>(page, "AltVid").currentIndex(), -1);
  EXPECT_FALSE(Enabled(page, "AutoAdjust")) << "no alternate VID chosen";

  Find<QComboBox>(page, "AltVid").setCurrentIndex(12);  // 1.100 V, 250 mV below 1.350 V
  ASSERT_TRUE(Enabled(page, "AutoAdjust"));
  Find<QPushButton>(page, "AutoAdjust").click();
  EXPECT_EQ(Find<QSpinBox>(page, "AltVidStabilization").value(), 250);
  EXPECT_EQ(rig.page.EditedSetup().altVidIndex, std::optional<uint32_t>(12));
  EXPECT_EQ(rig.page.EditedSetup().vsTimeUs, 250u);
}

TEST(AdvancedK8Page, ApplyHandsOverTheEditsAndAsksAboutARestartOnlyWhenTold) {
  testing::TestApp();
  struct Case {
    bool restartValueChanged;
    bool yes;
    bool restarted;
  };
  const Case cases[] = {{false, true, false}, {true, false, false}, {true, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.restartValueChanged) + ::testing::PrintToString(c.yes));
    FakeK8Advanced k8;
    k8.facts = RevisionF();
    k8.hardware = SomeHardware();
    k8.restartValueChanged = c.restartValueChanged;
    Rig rig(k8);
    QWidget& page = rig.page;
    rig.host.answers = {c.yes};

    Find<QComboBox>(page, "AcpiState").setCurrentIndex(2);
    Find<QCheckBox>(page, "NorthbridgeLowPower").setChecked(true);
    Find<QComboBox>(page, "AltVid").setCurrentIndex(7);
    Find<QSpinBox>(page, "PllLockTime").setValue(5240);
    Find<QCheckBox>(page, "RememberAdvanced").setChecked(true);
    Find<QSpinBox>(page, "StopGrantTimeout").setValue(300);
    Find<QComboBox>(page, "RampVoltageOffset").setCurrentIndex(3);
    Find<QRadioButton>(page, "SchemeDirectHalf").setChecked(true);
    Find<QCheckBox>(page, "TscSyncEnable").setChecked(true);
    Find<QComboBox>(page, "TscSyncSource").setCurrentIndex(1);
    Find<QSpinBox>(page, "TscSyncInterval").setValue(20000);
    Find<QPushButton>(page, "Apply").click();

    ASSERT_EQ(k8.applied.size(), 1u);
    k8::CpuSetup setup = SomeHardware();
    setup.modes[2].northbridgeLowPower = true;
    setup.altVidIndex = 7;
    setup.pllLockUs = 5240;
    EXPECT_EQ(k8.applied[0].setup, setup);
    k8::RestartValues restart;
    restart.stopGrantTimeoutCount = 300;
    restart.rampVoltageOffsetMv = 75;
    restart.scheme = k8::Scheme::kDirectHalf;
    restart.tscSyncEnable = true;
    restart.tscSyncSource = 1;
    restart.tscSyncIntervalMs = 20000;
    EXPECT_EQ(k8.applied[0].restart, restart);
    EXPECT_TRUE(k8.applied[0].rememberAdvanced);

    EXPECT_FALSE(Enabled(page, "Apply")) << "until the next edit";
    const std::vector<Box> asked = c.restartValueChanged
                                       ? std::vector<Box>{{kStrRestartRequired, kStrConfirmCaption}}
                                       : std::vector<Box>{};
    EXPECT_EQ(rig.host.questions, asked);
    EXPECT_EQ(rig.model.calls, c.restarted ? std::vector<std::string>{"RequestRestart"}
                                           : std::vector<std::string>{});
    Find<QSpinBox>(page, "FidDelay").setValue(60);
    EXPECT_TRUE(Enabled(page, "Apply"));
  }
}

TEST(AdvancedK8Page, TickingTheAlternateVidModeIsConfirmedAndNoUnticksIt) {
  testing::TestApp();
  for (const bool yes : {false, true}) {
    FakeK8Advanced k8;
    k8.facts = RevisionF();
    Rig rig(k8);
    rig.host.answers = {yes};
    auto& box = Find<QCheckBox>(rig.page, "AltVidChange");
    box.click();
    EXPECT_EQ(rig.host.questions, (std::vector<Box>{{kStrAltVidWarning, kStrWarningCaption}}));
    EXPECT_EQ(box.isChecked(), yes);
    EXPECT_EQ(rig.page.EditedSetup().modes[0].altVidChange, yes);
    if (!yes) continue;
    box.click();
    EXPECT_FALSE(box.isChecked());
    EXPECT_EQ(rig.host.questions.size(), 1u) << "unticking asks nothing";
  }
}

TEST(AdvancedK8Page, EditsStayUntilAppliedAndRefreshRereadsOnlyTheCpuSetup) {
  testing::TestApp();
  FakeK8Advanced k8;
  k8.facts = RevisionF();
  k8.hardware = SomeHardware();
  Rig rig(k8);
  QWidget& page = rig.page;
  Find<QSpinBox>(page, "PllLockTime").setValue(7);
  Find<QSpinBox>(page, "VidDelay").setValue(40);

  // Shown again, and the program's own re-applying: the edits stay and reach nothing.
  rig.page.Reload();
  rig.page.ApplyWithoutAsking();
  EXPECT_EQ(Find<QSpinBox>(page, "PllLockTime").value(), 7);
  EXPECT_EQ(k8.calls, std::vector<std::string>{"ReadHardware"});

  k8.hardware.pllLockUs = 99;
  k8.hardware.modes[0].cpuLowPower = true;
  Find<QPushButton>(page, "Refresh").click();
  EXPECT_EQ(rig.page.EditedSetup(), k8.hardware);
  EXPECT_TRUE(Find<QCheckBox>(page, "CpuLowPower").isChecked());
  EXPECT_EQ(rig.page.EditedRestartValues().vidDelayUs, 40) << "not the hardware's";
  EXPECT_TRUE(Enabled(page, "Apply"));
  Find<QSpinBox>(page, "VidDelay").setValue(k8.stored.vidDelayUs);
  EXPECT_FALSE(Enabled(page, "Apply")) << "nothing differs any more";
}

}  // namespace
}  // namespace pacetta::ui
