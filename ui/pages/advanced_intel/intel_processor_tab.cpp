#include "ui/pages/advanced_intel/intel_processor_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_controls.h"

namespace pacetta::ui {
namespace {

using page_controls::Check;
using page_controls::Combo;
using page_controls::LabelFor;
using page_controls::Spin;

constexpr int kMaxFidVidDelayUs = 200;
constexpr std::array<uint32_t, 5> kCStateBits = {kC1e, kC2e, kC3e, kC4e, kHardC4e};
constexpr const char* kCStateNames[] = {"C1e", "C2e", "C3e", "C4e", "HardC4e"};
constexpr const char* kCpuTypeNames[] = {"CpuTypeAuto", "CpuTypeDesktop", "CpuTypeMobile"};

QComboBox* TargetList(const StringTable& strings, const std::vector<double>& values,
                      uint32_t format, const char* name) {
  QComboBox* box = Combo(name);
  for (const double value : values) {
    box->addItem(QString::fromStdString(FormatText(strings.Get(format), {value})));
  }
  return box;
}

void SetEntry(QComboBox& box, int32_t index) {
  box.setCurrentIndex(index >= 0 && index < box.count() ? index : -1);
}

QGroupBox* Group(const StringTable& strings, uint32_t id) {
  return MakeOwned<QGroupBox>(PageText(strings, id));
}

}  // namespace

IntelProcessorTab::IntelProcessorTab(const StringTable& strings, const IntelPageFacts& facts,
                                     std::function<void()> edited)
    : facts_(facts), edited_(std::move(edited)) {
  setObjectName("IntelProcessorTab");
  Build(strings);

  for (QCheckBox* box : {tm1_, tm2_, syncTm1_, extendedThrottling_, eist_, ida_, dffs_}) {
    if (box == nullptr) continue;
    connect(box, &QCheckBox::toggled, this, [this, box](bool checked) { OnTicked(box, checked); });
  }
  for (QCheckBox* box : cStates_) {
    if (box != nullptr) connect(box, &QCheckBox::toggled, this, [this] { Edited(); });
  }
  for (QComboBox* box : {targetFid_, targetVid_}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this] { Edited(); });
  }
  connect(fidVidDelay_, &QSpinBox::valueChanged, this, [this] { Edited(); });
  for (QRadioButton* button : cpuTypes_) {
    if (button == nullptr) continue;
    connect(button, &QRadioButton::toggled, this, [this](bool on) {
      if (on) Edited();
    });
  }

  tm1_->setEnabled(facts_.tm1);
  tm2_->setEnabled(facts_.tm2);
  targetFid_->setEnabled(facts_.targetEditable);
  targetVid_->setEnabled(facts_.targetEditable);
  eist_->setEnabled(facts_.eistBox);
  fidVidDelay_->setEnabled(facts_.eistSupported);
  for (QCheckBox* box : cStates_) {
    if (box != nullptr) box->setEnabled(facts_.enhancedCStates);
  }
  if (facts_.kind != IntelPageKind::kCentrino) return;
  syncTm1_->setEnabled(facts_.core2);
  extendedThrottling_->setEnabled(facts_.core2);
  for (QRadioButton* button : cpuTypes_) button->setEnabled(facts_.core2);
  ida_->setEnabled(facts_.ida);
  dffs_->setEnabled(facts_.dffs);
}

void IntelProcessorTab::Build(const StringTable& strings) {
  const bool centrino = facts_.kind == IntelPageKind::kCentrino;
  const bool via = facts_.kind == IntelPageKind::kViaC7;
  tm1_ = Check(strings, centrino ? kStrIntelCentrinoTm1 : kStrIntelTm1, "Tm1");
  tm2_ = Check(strings, centrino ? kStrIntelCentrinoTm2 : kStrIntelTm2, "Tm2");
  targetFid_ = TargetList(strings, facts_.targetMultipliers, kStrMultiplierValue, "TargetFid");
  targetVid_ = TargetList(strings, facts_.targetVoltages, kStrVoltageValue, "TargetVid");
  eist_ = Check(strings, via ? kStrViaPowerSaver : kStrIntelEist, "Eist");
  fidVidDelay_ = Spin("FidVidDelay", 0, kMaxFidVidDelayUs, 1);

  const uint32_t title = centrino ? kStrIntelCentrinoTitle
                         : via    ? kStrViaTitle
                                  : kStrIntelNetBurstTitle;
  auto* heading = MakeOwned<QLabel>(PageText(strings, title));
  heading->setObjectName("Title");
  heading->setWordWrap(true);

  // The Centrino tab has its four boxes without a group: the tab is short.
  auto* thermalGrid = MakeOwned<QGridLayout>();
  thermalGrid->addWidget(tm1_, 0, 0);
  thermalGrid->addWidget(tm2_, 1, 0);
  if (centrino) {
    syncTm1_ = Check(strings, kStrIntelSyncTm1, "SyncTm1");
    extendedThrottling_ = Check(strings, kStrIntelExtendedThrottling, "ExtendedThrottling");
    thermalGrid->addWidget(syncTm1_, 0, 1);
    thermalGrid->addWidget(extendedThrottling_, 1, 1);
  }

  // Both lists on one row: the page is short.
  auto* target = Group(strings, kStrIntelTargetGroup);
  auto* targetRow = MakeOwned<QHBoxLayout>(target);
  targetRow->addWidget(LabelFor(strings, kStrIntelTargetFidLabel, targetFid_));
  targetRow->addWidget(targetFid_, 1);
  targetRow->addSpacing(8);
  targetRow->addWidget(LabelFor(strings, kStrIntelTargetVidLabel, targetVid_));
  targetRow->addWidget(targetVid_, 1);

  auto* eist = Group(strings, via ? kStrViaPowerSaverGroup : kStrIntelEistGroup);
  auto* eistGrid = MakeOwned<QGridLayout>(eist);
  eistGrid->addWidget(eist_, 0, 0, 1, 2);
  eistGrid->addWidget(LabelFor(strings, kStrIntelFidVidDelayLabel, fidVidDelay_), 1, 0);
  eistGrid->addWidget(fidVidDelay_, 1, 1);
  eistGrid->setColumnStretch(0, 1);

  auto* tab = MakeOwned<QVBoxLayout>(this);
  tab->addWidget(heading);
  if (centrino) {
    tab->addLayout(thermalGrid);
  } else {
    auto* thermal = Group(strings, kStrIntelThermalGroup);
    thermal->setLayout(thermalGrid);
    tab->addWidget(thermal);
  }
  tab->addWidget(target);
  tab->addWidget(eist);
  if (facts_.kind == IntelPageKind::kNetBurst) {
    cStates_[0] = Check(strings, kStrIntelNetBurstC1e, kCStateNames[0]);
    auto* cStates = Group(strings, kStrIntelNetBurstCStateGroup);
    MakeOwned<QVBoxLayout>(cStates)->addWidget(cStates_[0]);
    tab->addWidget(cStates);
  } else if (centrino) {
    // One column: two would cut the boxes' texts.
    auto* cStates = Group(strings, kStrIntelCStateGroup);
    auto* column = MakeOwned<QVBoxLayout>(cStates);
    for (size_t i = 0; i < cStates_.size(); ++i) {
      cStates_[i] = Check(strings, kStrIntelCStateFirst + i, kCStateNames[i]);
      column->addWidget(cStates_[i]);
    }
    tab->addWidget(cStates);

    ida_ = Check(strings, kStrIntelIda, "Ida");
    dffs_ = Check(strings, kStrIntelDffs, "Dffs");
    auto* core2 = Group(strings, kStrIntelCore2Group);
    auto* grid2 = MakeOwned<QGridLayout>(core2);
    grid2->addWidget(ida_, 0, 0, 1, 4);
    grid2->addWidget(dffs_, 1, 0, 1, 4);
    grid2->addWidget(MakeOwned<QLabel>(PageText(strings, kStrIntelCpuTypeLabel)), 2, 0);
    for (size_t i = 0; i < cpuTypes_.size(); ++i) {
      cpuTypes_[i] = MakeOwned<QRadioButton>(PageText(strings, kStrIntelCpuTypeFirst + i));
      cpuTypes_[i]->setObjectName(kCpuTypeNames[i]);
      grid2->addWidget(cpuTypes_[i], 2, static_cast<int>(i) + 1);
    }
    grid2->setColumnStretch(0, 1);
    tab->addWidget(core2);
  }
  tab->addStretch(1);
  // Rows close together: the page has the window's height only.
  for (QGroupBox* group : findChildren<QGroupBox*>()) {
    group->layout()->setSpacing(2);
    group->layout()->setContentsMargins(8, 4, 8, 4);
  }
}

void IntelProcessorTab::Show(const IntelProcessorValues& values) {
  showing_ = true;
  shown_ = values;
  tm1_->setChecked(values.tm1);
  tm2_->setChecked(values.tm2);
  if (syncTm1_ != nullptr) syncTm1_->setChecked(values.syncTm1);
  if (extendedThrottling_ != nullptr) extendedThrottling_->setChecked(values.extendedThrottling);
  SetEntry(*targetFid_, values.targetFidIndex);
  SetEntry(*targetVid_, values.targetVidIndex);
  for (size_t i = 0; i < cStates_.size(); ++i) {
    if (cStates_[i] != nullptr) cStates_[i]->setChecked((values.cStates & kCStateBits[i]) != 0);
  }
  if (ida_ != nullptr) ida_->setChecked(values.idaEngaged);
  if (dffs_ != nullptr) dffs_->setChecked(values.dffs);
  showing_ = false;
}

void IntelProcessorTab::ShowRestart(const IntelRestartValues& values) {
  showing_ = true;
  shownRestart_ = values;
  eist_->setChecked(values.eist);
  fidVidDelay_->setValue(values.fidVidDelayUs);
  const int type = values.cpuType + 1;
  if (cpuTypes_[0] != nullptr && type >= 0 && type < static_cast<int>(cpuTypes_.size())) {
    cpuTypes_[static_cast<size_t>(type)]->setChecked(true);
  }
  showing_ = false;
}

IntelProcessorValues IntelProcessorTab::Values() const {
  IntelProcessorValues values = shown_;
  values.tm1 = tm1_->isChecked();
  values.tm2 = tm2_->isChecked();
  if (syncTm1_ != nullptr) values.syncTm1 = syncTm1_->isChecked();
  if (extendedThrottling_ != nullptr) values.extendedThrottling = extendedThrottling_->isChecked();
  values.targetFidIndex = targetFid_->currentIndex();
  values.targetVidIndex = targetVid_->currentIndex();
  for (size_t i = 0; i < cStates_.size(); ++i) {
    if (cStates_[i] == nullptr) continue;
    values.cStates = cStates_[i]->isChecked() ? values.cStates | kCStateBits[i]
                                              : values.cStates & ~kCStateBits[i];
  }
  if (ida_ != nullptr) values.idaEngaged = ida_->isChecked();
  if (dffs_ != nullptr) values.dffs = dffs_->isChecked();
  return values;
}

IntelRestartValues IntelProcessorTab::Restart() const {
  IntelRestartValues values = shownRestart_;
  values.eist = eist_->isChecked();
  values.fidVidDelayUs = fidVidDelay_->value();
  for (size_t i = 0; i < cpuTypes_.size(); ++i) {
    if (cpuTypes_[i] != nullptr && cpuTypes_[i]->isChecked()) {
      values.cpuType = static_cast<int32_t>(i) - 1;
    }
  }
  return values;
}

void IntelProcessorTab::OnTicked(QCheckBox* box, bool checked) {
  if (showing_) return;
  // The C7 runs one thermal monitor at a time: ticking one unticks the other.
  if (facts_.kind == IntelPageKind::kViaC7 && checked && (box == tm1_ || box == tm2_)) {
    QCheckBox* other = box == tm1_ ? tm2_ : tm1_;
    const bool wasShowing = std::exchange(showing_, true);
    other->setChecked(false);
    showing_ = wasShowing;
  }
  Edited();
}

void IntelProcessorTab::Edited() {
  if (!showing_) edited_();
}

}  // namespace pacetta::ui
