// The Transmeta advanced page: its columns, presets, what "Apply" hands over and the
// LongRun table tree.
#include "ui/pages/advanced_transmeta/advanced_transmeta_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>

#include "tests/ui_pages/page_model.h"
#include "tests/ui_pages/recording_host.h"
#include "ui/pages/page_catalogue.h"

namespace pacetta::ui {
namespace {

using testing::PageModel;
using testing::RecordingHost;

template <typename T>
T& Find(QWidget& page, const char* name) {
  T* control = page.findChild<T*>(name);
  if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
  return *control;
}

// LongRun as the page sees it: registers, stored values and a table of the test's
// choosing; every Apply recorded.
class FakeTransmeta final : public TransmetaAdvanced {
 public:
  void ApplyStored() override {}
  void Reapply() override {}
  TransmetaPageFacts Facts() override { return facts; }
  bool OnBattery() override { return onBattery; }
  LongRunValues StoredValues() const override { return stored; }
  std::optional<LongRunColumn> ReadHardware() override { return hardware; }
  std::vector<longrun::Level> ReadTable() override { return table; }
  bool RememberAdvanced() const override { return remember; }
  void Apply(const LongRunValues& values, bool rememberAdvanced) override {
    applied.push_back(values);
    remember = rememberAdvanced;
  }

  TransmetaPageFacts facts{true};
  bool onBattery = false;
  LongRunValues stored{{5, 95, true, 1}, {0, 60, false, 4}};
  LongRunColumn hardware{20, 70, false, 2};
  std::vector<longrun::Level> table{{1, 100, 867, 1300, 7, 6, 27, 0},
                                    {0, 0, 300, 800, 3, 2, 10, 1500}};
  bool remember = false;
  std::vector<LongRunValues> applied;
};

struct PageRig {
  PageRig() : model("transmeta", false) {
    testing::TestApp();
    model.advanced = &transmeta;
  }
  AdvancedTransmetaPage& Page() {
    if (!page) page = MakeAdvancedTransmetaPage({model, host});
    return dynamic_cast<AdvancedTransmetaPage&>(*page);
  }
  FakeTransmeta transmeta;
  PageModel model;
  RecordingHost host;
  std::unique_ptr<ui::Page> page;
};

// Without "RememberAdvanced" the registers show in the present source's column and the
// other column keeps the stored values; with it both columns are the stored ones. The
// ATM group follows whether the northbridge has ATM.
TEST(AdvancedTransmetaPage, ShowsRegistersInThePresentSourcesColumn) {
  struct Case {
    bool remember, onBattery, atmPresent;
    LongRunValues shown;
  };
  const LongRunValues stored = FakeTransmeta{}.stored;
  const LongRunColumn hardware = FakeTransmeta{}.hardware;
  const Case cases[] = {{false, false, true, {hardware, stored.battery}},
                        {false, true, false, {stored.ac, hardware}},
                        {true, true, true, stored}};
  for (const Case& c : cases) {
    PageRig rig;
    rig.transmeta.remember = c.remember;
    rig.transmeta.onBattery = c.onBattery;
    rig.transmeta.facts.atmPresent = c.atmPresent;
    EXPECT_EQ(rig.Page().EditedValues(), c.shown) << c.remember << c.onBattery;
    EXPECT_EQ(Find<QCheckBox>(rig.Page(), "RememberAdvanced").isChecked(), c.remember);
    EXPECT_EQ(Find<QGroupBox>(rig.Page(), "AtmGroup").isEnabled(), c.atmPresent);
    EXPECT_EQ(Find<QComboBox>(rig.Page(), "AtmAc").count(), 7);
  }
}

// Presets change the four bounds on the page only; Apply hands over both columns as
// edited, with the box's state.
TEST(AdvancedTransmetaPage, PresetsEditThePageAndApplyHandsThemOver) {
  struct Case {
    AdvancedTransmetaPage::Preset preset;
    int lower, upper;
  };
  const Case cases[] = {{AdvancedTransmetaPage::Preset::kMinimal, 0, 0},
                        {AdvancedTransmetaPage::Preset::kMaximal, 100, 100},
                        {AdvancedTransmetaPage::Preset::kVariated, 0, 100}};
  for (const Case& c : cases) {
    PageRig rig;
    AdvancedTransmetaPage& page = rig.Page();
    page.LoadPreset(c.preset);
    EXPECT_TRUE(rig.transmeta.applied.empty());
    const LongRunValues edited = page.EditedValues();
    for (const LongRunColumn& column : {edited.ac, edited.battery}) {
      EXPECT_EQ(column.minBound, c.lower);
      EXPECT_EQ(column.maxBound, c.upper);
    }
    EXPECT_EQ(edited.ac.performance, false);  // the modes stay as shown
    Find<QCheckBox>(page, "RememberAdvanced").setChecked(true);
    Find<QPushButton>(page, "Apply").click();
    ASSERT_EQ(rig.transmeta.applied.size(), 1u);
    EXPECT_EQ(rig.transmeta.applied[0], edited);
    EXPECT_TRUE(rig.transmeta.remember);
  }
  // The preset menu offers the three presets.
  PageRig rig;
  EXPECT_EQ(Find<QToolButton>(rig.Page(), "Presets").menu()->actions().size(), 3);
}

// A lower bound above its upper is shown lowered once applied.
TEST(AdvancedTransmetaPage, ApplyShowsTheOrderedBounds) {
  PageRig rig;
  AdvancedTransmetaPage& page = rig.Page();
  Find<QSpinBox>(page, "MaxBoundBattery").setValue(30);
  Find<QSpinBox>(page, "MinBoundBattery").setValue(50);
  Find<QPushButton>(page, "Apply").click();
  ASSERT_EQ(rig.transmeta.applied.size(), 1u);
  EXPECT_EQ(rig.transmeta.applied[0].battery.minBound, 50);
  EXPECT_EQ(page.EditedValues().battery.minBound, 30);
}

// One item per level, highest first, with its seven children's texts.
TEST(AdvancedTransmetaPage, TableTreeTexts) {
  PageRig rig;
  auto& tree = Find<QTreeWidget>(rig.Page(), "LevelTree");
  ASSERT_EQ(tree.topLevelItemCount(), 2);
  const QTreeWidgetItem* top = tree.topLevelItem(0);
  EXPECT_EQ(top->text(0), "LongRun level: 1");
  const QStringList topChildren{"Performance index: 100", "Frequency: 867 MHz", "Voltage: 1.300V",
                                "SDR divisor: 7",         "DDR divisor: 6",     "PCI divisor: 27",
                                "Gate delay: N/A"};
  ASSERT_EQ(top->childCount(), topChildren.size());
  for (int n = 0; n < top->childCount(); ++n) EXPECT_EQ(top->child(n)->text(0), topChildren[n]);
  const QTreeWidgetItem* bottom = tree.topLevelItem(1);
  EXPECT_EQ(bottom->text(0), "LongRun level: 0");
  EXPECT_EQ(bottom->child(2)->text(0), "Voltage: 0.800V");
  EXPECT_EQ(bottom->child(6)->text(0), "Gate delay: 1500 fs");
  EXPECT_EQ(Find<QComboBox>(rig.Page(), "AtmBattery").itemText(6), "75.0 reduction");
}

}  // namespace
}  // namespace pacetta::ui
