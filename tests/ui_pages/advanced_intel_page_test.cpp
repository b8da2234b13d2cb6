// The Intel-style "Advanced CPU settings" pages (NetBurst, the Centrino container, the
// VIA C7): what they offer on which processor and hub, how the edits are kept, read
// again and handed over, and the questions they ask.
#include "ui/pages/advanced_intel/advanced_intel_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <initializer_list>
#include <set>
#include <stdexcept>

#include "app/strings/string_ids.h"
#include "tests/ui_pages/advanced_intel_fake.h"
#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/page_catalogue.h"

namespace pacetta::ui {
namespace {

using testing::Box;
using testing::FakeCentrinoChipset;
using testing::FakeIntelAdvanced;
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

IntelPageFacts Core2Facts() {
  IntelPageFacts facts;
  facts.kind = IntelPageKind::kCentrino;
  facts.tm1 = facts.tm2 = facts.targetEditable = true;
  facts.targetMultipliers = {6.0, 7.0, 8.0, 9.0, 10.0, 11.0};
  facts.targetVoltages = {0.7000, 0.7125, 0.7250, 0.7375};
  facts.eistBox = facts.eistSupported = facts.enhancedCStates = true;
  facts.core2 = facts.ida = facts.dffs = true;
  return facts;
}

// The hub of an ICH8-M laptop with throttling at hand.
FakeCentrinoChipset Ich8m() {
  FakeCentrinoChipset hub;
  hub.identity = {"ICH8M", 0x8086, 0x2815, 7, true};
  for (const IchOption option :
       {IchOption::kC4OnC3, IchOption::kPopdown, IchOption::kPopup, IchOption::kC4Disable,
        IchOption::kC5Enable, IchOption::kSlowC4Exit, IchOption::kPllLockTime,
        IchOption::kDpslpToCpuslp, IchOption::kDprslpvrToStpcpu, IchOption::kSlowC4ExitDelay}) {
    hub.has[static_cast<size_t>(option)] = true;
  }
  hub.dprslpvrEntries = 3;
  return hub;
}

// The page the catalogue makes on `machine` with `intel` as the program's settings; it
// must be the only advanced page there.
struct Rig {
  Rig(const char* machine, FakeIntelAdvanced& fake) : model(machine, false), intel(fake) {
    model.advanced = &fake;
    for (const PageRegistration& page : BuiltInPages()) {
      if (page.order != 7 || !page.present(model)) continue;
      if (made) throw std::runtime_error("two advanced pages");
      made = page.create({model, host});
    }
    if (!made) throw std::runtime_error("no advanced page");
  }
  QWidget& Widget() { return *made; }
  PageModel model;
  RecordingHost host;
  FakeIntelAdvanced& intel;
  std::unique_ptr<Page> made;
};

TEST(AdvancedIntelPage, EachKindOffersItsControlsEnabledAsTheProcessorAllows) {
  testing::TestApp();
  enum State { kAbsent, kOff, kOn };
  constexpr const char* kNames[] = {"Tm1",       "Tm2",          "SyncTm1", "ExtendedThrottling",
                                    "TargetFid", "TargetVid",    "Eist",    "FidVidDelay",
                                    "C1e",       "C2e",          "HardC4e", "Ida",
                                    "Dffs",      "CpuTypeMobile"};
  struct Kind {
    const char* machine;
    IntelPageFacts facts;
    std::array<State, std::size(kNames)> states;
    const char* pageName;
    std::vector<uint32_t> tabs;
  };
  IntelPageFacts netBurst;  // F41h: TM2 without an editable target, EIST select-locked
  netBurst.kind = IntelPageKind::kNetBurst;
  netBurst.tm1 = netBurst.tm2 = netBurst.eistSupported = netBurst.enhancedCStates = true;
  IntelPageFacts pentiumM = Core2Facts();
  pentiumM.core2 = pentiumM.ida = pentiumM.dffs = pentiumM.enhancedCStates = false;
  IntelPageFacts merom = Core2Facts();
  merom.dffs = false;
  merom.tm1 = false;
  IntelPageFacts via;
  via.kind = IntelPageKind::kViaC7;
  via.tm1 = via.tm2 = via.targetEditable = via.eistBox = via.eistSupported = true;
  const Kind kinds[] = {
      {"pentium4-ht",
       netBurst,
       {kOn, kOn, kAbsent, kAbsent, kOff, kOff, kOff, kOn, kOn, kAbsent, kAbsent, kAbsent, kAbsent,
        kAbsent},
       "AdvancedIntelPage",
       {}},
      {"pentium-m-laptop",
       pentiumM,
       {kOn, kOn, kOff, kOff, kOn, kOn, kOn, kOn, kOff, kOff, kOff, kOff, kOff, kOff},
       "AdvancedIntelPage",
       {kStrIntelProcessorTab, kStrIntelChipsetTab, kStrIntelThrottlingTab}},
      {"core2-duo-laptop",
       merom,
       {kOff, kOn, kOn, kOn, kOn, kOn, kOn, kOn, kOn, kOn, kOn, kOn, kOff, kOn},
       "AdvancedIntelPage",
       {kStrIntelProcessorTab, kStrIntelChipsetTab, kStrIntelThrottlingTab}},
      {"via-c7",
       via,
       {kOn, kOn, kAbsent, kAbsent, kOn, kOn, kOn, kOn, kAbsent, kAbsent, kAbsent, kAbsent, kAbsent,
        kAbsent},
       "AdvancedViaPage",
       {}},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.machine);
    FakeCentrinoChipset hub = Ich8m();
    FakeIntelAdvanced intel;
    intel.facts = kind.facts;
    if (kind.facts.kind == IntelPageKind::kCentrino) intel.chipset = &hub;
    Rig rig(kind.machine, intel);
    QWidget& page = rig.Widget();
    EXPECT_EQ(page.objectName(), kind.pageName);
    for (size_t i = 0; i < std::size(kNames); ++i) {
      SCOPED_TRACE(kNames[i]);
      QWidget* control = page.findChild<QWidget*>(kNames[i]);
      EXPECT_EQ(control == nullptr, kind.states[i] == kAbsent);
      if (control != nullptr) {
        EXPECT_EQ(control->isEnabled(), kind.states[i] == kOn);
      }
    }
    auto* tabs = page.findChild<QTabWidget*>("AdvancedTabs");
    ASSERT_EQ(tabs == nullptr, kind.tabs.empty());
    for (size_t i = 0; tabs != nullptr && i < kind.tabs.size(); ++i) {
      EXPECT_EQ(tabs->tabText(static_cast<int>(i)).toStdString(),
                rig.model.Strings().Get(kind.tabs[i]));
    }
    auto& fid = Find<QComboBox>(page, "TargetFid");
    auto& vid = Find<QComboBox>(page, "TargetVid");
    ASSERT_EQ(static_cast<size_t>(fid.count()), kind.facts.targetMultipliers.size());
    ASSERT_EQ(static_cast<size_t>(vid.count()), kind.facts.targetVoltages.size());
    if (fid.count() > 0) {
      EXPECT_EQ(fid.itemText(1).toStdString(), "7.0x");
      EXPECT_EQ(vid.itemText(1).toStdString(), "0.7125V");
    }
    EXPECT_EQ(Find<QCheckBox>(page, "Eist").text().toStdString(),
              kind.facts.kind == IntelPageKind::kViaC7
                  ? "Enable VIA PowerSaver Technology"
                  : "Enable Enhanced Intel SpeedStep Technology (EIST)");
    EXPECT_FALSE(Enabled(page, "Apply"));
  }
}

TEST(AdvancedIntelPage, TheChipsetTabsEnableWhatTheHubHas) {
  testing::TestApp();
  constexpr const char* kControls[] = {
      "C4OnC3",         "CpuSlpInC3",    "CpuSlpInS1",       "C4InS1M",        "Popdown",
      "Popup",          "C4Disable",     "C5Enable",         "SlowC4Exit",     "PllLockTime",
      "CpuSlpToStpclk", "DpslpToCpuslp", "DprslpvrToStpcpu", "SlowC4ExitDelay"};
  static_assert(std::size(kControls) == kIchOptionCount, "one control per option");
  struct Hub {
    ChipsetIdentity identity;
    std::set<IchOption> has;
    uint32_t dprslpvrEntries;
    std::optional<bool> active;
    const char* type;
    const char* status;
  };
  const Hub hubs[] = {
      {{"ICH7(R)", 0x8086, 0x27B8, 4, true},
       {IchOption::kPllLockTime},
       2,
       false,
       "ICH7(R) (8086:27B8)",
       "Inactive"},
      {Ich8m().identity,
       {IchOption::kC4OnC3, IchOption::kPopdown, IchOption::kPopup, IchOption::kC4Disable,
        IchOption::kC5Enable, IchOption::kSlowC4Exit, IchOption::kPllLockTime,
        IchOption::kDpslpToCpuslp, IchOption::kDprslpvrToStpcpu, IchOption::kSlowC4ExitDelay},
       3,
       true,
       "ICH8M (8086:2815)",
       "Active"},
      {{"ICH4", 0x8086, 0x24C0, 0, true},
       {IchOption::kCpuSlpInC3, IchOption::kCpuSlpToStpclk},
       2,
       false,
       "ICH4 (8086:24C0)",
       "Inactive"},
      {{"", 0x8086, 0x24D0, std::nullopt, false},
       {},
       2,
       std::nullopt,
       "Unknown (8086:24D0)",
       "N/A"},
  };
  for (const Hub& h : hubs) {
    SCOPED_TRACE(h.type);
    FakeCentrinoChipset hub;
    hub.identity = h.identity;
    for (const IchOption option : h.has) hub.has[static_cast<size_t>(option)] = true;
    hub.dprslpvrEntries = h.dprslpvrEntries;
    hub.active = h.active;
    hub.hardware.normalDuty = 3;
    hub.storedLock = true;
    FakeIntelAdvanced intel;
    intel.facts = Core2Facts();
    intel.chipset = &hub;
    Rig rig("core2-duo-laptop", intel);
    QWidget& page = rig.Widget();
    for (size_t i = 0; i < kIchOptionCount; ++i) {
      EXPECT_EQ(Enabled(page, kControls[i]), h.has.contains(static_cast<IchOption>(i)))
          << kControls[i];
    }
    EXPECT_EQ(Find<QComboBox>(page, "DprslpvrToStpcpu").count(),
              static_cast<int>(h.dprslpvrEntries));
    EXPECT_EQ(Find<QLabel>(page, "ChipsetType").text().toStdString(), h.type);
    EXPECT_EQ(Find<QLabel>(page, "ThrottlingStatus").text().toStdString(), h.status);

    const bool known = h.identity.generation.has_value();
    for (const char* name : {"ForceThermalThrottling", "ThermalDuty", "NormalThrottling",
                             "NormalDuty", "ThrottleLock"}) {
      EXPECT_EQ(Enabled(page, name), known) << name;
    }
    EXPECT_TRUE(Find<QCheckBox>(page, "ThrottleLock").isChecked()) << "as stored";
    auto& duty = Find<QComboBox>(page, "NormalDuty");
    ASSERT_EQ(duty.count(), 8);
    EXPECT_EQ(duty.itemText(0).toStdString(), "Default (50.0%)");
    EXPECT_EQ(duty.itemText(7).toStdString(), "87.5");
    EXPECT_EQ(duty.currentText().toStdString(), "37.5");
  }
}

TEST(AdvancedIntelPage, TheC7RunsOneThermalMonitorAtATime) {
  testing::TestApp();
  FakeIntelAdvanced intel;
  intel.facts.kind = IntelPageKind::kViaC7;
  intel.facts.tm1 = intel.facts.tm2 = true;
  intel.hardware->tm1 = true;
  Rig rig("via-c7", intel);
  auto& tm1 = Find<QCheckBox>(rig.Widget(), "Tm1");
  auto& tm2 = Find<QCheckBox>(rig.Widget(), "Tm2");
  ASSERT_TRUE(tm1.isChecked());
  tm2.click();
  EXPECT_TRUE(tm2.isChecked());
  EXPECT_FALSE(tm1.isChecked());
  tm1.click();
  EXPECT_TRUE(tm1.isChecked());
  EXPECT_FALSE(tm2.isChecked());
  tm1.click();
  EXPECT_FALSE(tm1.isChecked());
  EXPECT_FALSE(tm2.isChecked()) << "unticking ticks nothing";
  EXPECT_TRUE(Enabled(rig.Widget(), "Apply"));
}

TEST(AdvancedIntelPage, RefreshRereadsEverythingButLockedThrottling) {
  testing::TestApp();
  FakeCentrinoChipset hub = Ich8m();
  hub.hardware.forceThermalThrottling = true;
  hub.hardware.thermalDuty = 3;
  hub.active = true;
  FakeIntelAdvanced intel;
  intel.facts = Core2Facts();
  intel.chipset = &hub;
  Rig rig("core2-duo-laptop", intel);
  QWidget& page = rig.Widget();
  EXPECT_EQ(Find<QComboBox>(page, "ThermalDuty").currentText().toStdString(), "37.5");

  for (const bool locked : {true, false}) {
    SCOPED_TRACE(locked ? "locked" : "not locked");
    Find<QCheckBox>(page, "ThrottleLock").setChecked(locked);
    Find<QComboBox>(page, "NormalDuty").setCurrentIndex(6);  // an edit not applied
    hub.hardware[IchOption::kC4OnC3] ^= 1;
    hub.hardware.forceThermalThrottling = !hub.hardware.forceThermalThrottling;
    hub.hardware.thermalDuty += 1;
    hub.active = !*hub.active;
    intel.hardware->tm2 = !intel.hardware->tm2;
    Find<QPushButton>(page, "Refresh").click();

    EXPECT_EQ(Find<QCheckBox>(page, "C4OnC3").isChecked(), hub.hardware[IchOption::kC4OnC3] != 0);
    EXPECT_EQ(Find<QCheckBox>(page, "Tm2").isChecked(), intel.hardware->tm2);
    EXPECT_EQ(Find<QLabel>(page, "ThrottlingStatus").text().toStdString(),
              *hub.active ? "Active" : "Inactive");
    // Locked: what the page showed before (forced, 37.5); else the hardware's.
    EXPECT_EQ(Find<QCheckBox>(page, "ForceThermalThrottling").isChecked(),
              locked || hub.hardware.forceThermalThrottling);
    EXPECT_EQ(Find<QComboBox>(page, "ThermalDuty").currentIndex(),
              locked ? 3 : static_cast<int>(hub.hardware.thermalDuty));
    EXPECT_EQ(Find<QComboBox>(page, "NormalDuty").currentIndex(), locked ? 6 : 0);
    EXPECT_TRUE(Find<QCheckBox>(page, "ThrottleLock").isEnabled());
    EXPECT_EQ(Enabled(page, "Apply"), locked) << "the lock and the duty are edits";
  }
}

TEST(AdvancedIntelPage, ApplyHandsOverEveryTabAndAsksAboutARestartOnlyWhenTold) {
  testing::TestApp();
  struct Case {
    bool restartValueChanged;
    bool yes;
    bool restarted;
  };
  const Case cases[] = {{false, true, false}, {true, false, false}, {true, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.restartValueChanged) + ::testing::PrintToString(c.yes));
    FakeCentrinoChipset hub = Ich8m();
    hub.hardware[IchOption::kCpuSlpToStpclk] = 1;  // below the field's range: kept
    hub.hardware[IchOption::kC4InS1M] = 1;         // absent on this hub: passed through
    FakeIntelAdvanced intel;
    intel.facts = Core2Facts();
    intel.chipset = &hub;
    intel.hardware->cStates = kC1e | kC4e;
    intel.hardware->targetFidIndex = -1;  // the code read lies outside the list
    intel.stored = {true, 100, -1};
    intel.restartValueChanged = c.restartValueChanged;
    Rig rig("core2-duo-laptop", intel);
    QWidget& page = rig.Widget();
    rig.host.answers = {c.yes};

    Find<QCheckBox>(page, "Tm2").click();
    Find<QCheckBox>(page, "SyncTm1").click();
    Find<QComboBox>(page, "TargetVid").setCurrentIndex(2);
    Find<QCheckBox>(page, "C1e").click();
    Find<QCheckBox>(page, "HardC4e").click();
    Find<QCheckBox>(page, "Ida").click();
    Find<QRadioButton>(page, "CpuTypeMobile").click();
    Find<QSpinBox>(page, "FidVidDelay").setValue(150);
    Find<QCheckBox>(page, "Popup").click();
    Find<QComboBox>(page, "DprslpvrToStpcpu").setCurrentIndex(2);
    Find<QCheckBox>(page, "NormalThrottling").click();
    Find<QComboBox>(page, "NormalDuty").setCurrentIndex(6);
    Find<QCheckBox>(page, "RememberAdvanced").click();
    Find<QPushButton>(page, "Apply").click();

    ASSERT_EQ(intel.applied.size(), 1u);
    const FakeIntelAdvanced::Applied& applied = intel.applied[0];
    IntelProcessorValues values;
    values.tm2 = values.syncTm1 = values.idaEngaged = true;
    values.targetFidIndex = -1;
    values.targetVidIndex = 2;
    values.cStates = kC4e | kHardC4e;
    EXPECT_EQ(applied.values, values);
    EXPECT_EQ(applied.restart, (IntelRestartValues{true, 150, 1}));
    ChipsetValues chipset = hub.hardware;
    chipset[IchOption::kPopup] = 1;
    chipset[IchOption::kDprslpvrToStpcpu] = 2;
    chipset.normalThrottling = true;
    chipset.normalDuty = 6;
    EXPECT_EQ(applied.chipset, chipset);
    EXPECT_TRUE(applied.rememberAdvanced);

    EXPECT_FALSE(Enabled(page, "Apply")) << "until the next edit";
    const std::vector<Box> asked = c.restartValueChanged
                                       ? std::vector<Box>{{kStrRestartRequired, kStrConfirmCaption}}
                                       : std::vector<Box>{};
    EXPECT_EQ(rig.host.questions, asked);
    EXPECT_EQ(rig.model.calls, c.restarted ? std::vector<std::string>{"RequestRestart"}
                                           : std::vector<std::string>{});
    // The program writes the applied values again by itself; the end keeps the CPU type.
    rig.made->ApplyWithoutAsking();
    rig.made->StoreState();
    EXPECT_EQ(intel.calls, (std::vector<std::string>{"ReadHardware", "Apply", "KeepForNextStart"}));
  }
}

}  // namespace
}  // namespace pacetta::ui
