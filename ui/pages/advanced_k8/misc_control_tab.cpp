#include "ui/pages/advanced_k8/misc_control_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/strings/string_ids.h"
#include "ui/pages/page_controls.h"

namespace pacetta::ui {
namespace {

using page_controls::Check;
using page_controls::Combo;
using page_controls::LabelFor;
using page_controls::Spin;

QLabel* Note(const StringTable& strings, uint32_t id) {
  auto* note = MakeOwned<QLabel>(PageText(strings, id));
  note->setWordWrap(true);
  return note;
}

}  // namespace

MiscControlTab::MiscControlTab(const StringTable& strings, const K8PageFacts& facts,
                               std::function<void()> edited)
    : partnerCore_(facts.partnerCore), edited_(std::move(edited)) {
  setObjectName("MiscControlTab");
  enable_ = Check(strings, kStrK8TscSyncEnable, "TscSyncEnable");
  source_ = Combo("TscSyncSource");
  for (uint32_t core = 0; core < 2; ++core)
    source_->addItem(PageText(strings, kStrK8TscCoreFirst + core));
  interval_ = Spin("TscSyncInterval", 1000, 60000, 1000);

  auto* group = MakeOwned<QGroupBox>(PageText(strings, kStrK8TscGroup));
  auto* grid = MakeOwned<QGridLayout>(group);
  grid->addWidget(Note(strings, kStrK8TscNote), 0, 0, 1, 2);
  grid->addWidget(enable_, 1, 0, 1, 2);
  grid->addWidget(LabelFor(strings, kStrK8TscSourceLabel, source_), 2, 0);
  grid->addWidget(source_, 2, 1);
  grid->addWidget(LabelFor(strings, kStrK8TscIntervalLabel, interval_), 3, 0);
  grid->addWidget(interval_, 3, 1);
  grid->addWidget(Note(strings, kStrK8TscRestartNote), 4, 0, 1, 2);
  grid->setColumnStretch(0, 1);

  auto* tab = MakeOwned<QVBoxLayout>(this);
  tab->addWidget(group);
  tab->addStretch(1);

  connect(enable_, &QCheckBox::toggled, this, [this] { FollowEdits(); });
  connect(source_, &QComboBox::currentIndexChanged, this, [this] { FollowEdits(); });
  connect(interval_, &QSpinBox::valueChanged, this, [this] { FollowEdits(); });
  // Only two cores of one processor have counters to keep together.
  setEnabled(partnerCore_);
}

void MiscControlTab::Show(const k8::RestartValues& values) {
  showing_ = true;
  enable_->setChecked(values.tscSyncEnable);
  source_->setCurrentIndex(std::clamp(values.tscSyncSource, 0, 1));
  interval_->setValue(values.tscSyncIntervalMs);
  showing_ = false;
  FollowEdits();
}

void MiscControlTab::Collect(k8::RestartValues& values) const {
  values.tscSyncEnable = enable_->isChecked();
  values.tscSyncSource = source_->currentIndex();
  values.tscSyncIntervalMs = interval_->value();
}

void MiscControlTab::FollowEdits() {
  source_->setEnabled(enable_->isChecked());
  interval_->setEnabled(enable_->isChecked());
  if (!showing_) edited_();
}

}  // namespace pacetta::ui
