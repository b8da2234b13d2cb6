#include "ui/pages/advanced_k8/transitions_tab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/strings/string_ids.h"
#include "ui/pages/page_controls.h"

namespace pacetta::ui {
namespace {

using page_controls::Combo;
using page_controls::LabelFor;
using page_controls::Spin;

constexpr int kRampOffsetStepMv = 25;  // the list holds 0, 25, 50 and 75 mV
constexpr int kRampOffsets = 4;

}  // namespace

TransitionsTab::TransitionsTab(const StringTable& strings, const K8PageFacts& facts,
                               std::function<void()> edited)
    : edited_(std::move(edited)) {
  setObjectName("TransitionsTab");
  stopGrant_ = Spin("StopGrantTimeout", 0, 1000000, 100);
  rampOffset_ = Combo("RampVoltageOffset");
  for (int i = 0; i < kRampOffsets; ++i)
    rampOffset_->addItem(QString::number(i * kRampOffsetStepMv));
  fidDelay_ = Spin("FidDelay", 0, 100, 10);
  vidDelay_ = Spin("VidDelay", 0, 200, 20);
  const char* names[] = {"SchemeOfficialWhole", "SchemeOfficialHalf", "SchemeDirectWhole",
                         "SchemeDirectHalf"};
  for (size_t i = 0; i < schemes_.size(); ++i) {
    schemes_[i] = MakeOwned<QRadioButton>(PageText(strings, kStrK8SchemeFirst + i));
    schemes_[i]->setObjectName(names[i]);
  }

  auto* timings = MakeOwned<QGroupBox>(PageText(strings, kStrK8TransitionGroup));
  auto* grid = MakeOwned<QGridLayout>(timings);
  grid->addWidget(LabelFor(strings, kStrK8StopGrantLabel, stopGrant_), 0, 0);
  grid->addWidget(stopGrant_, 0, 1);
  grid->addWidget(LabelFor(strings, kStrK8RampOffsetLabel, rampOffset_), 1, 0);
  grid->addWidget(rampOffset_, 1, 1);
  grid->addWidget(LabelFor(strings, kStrK8FidDelayLabel, fidDelay_), 2, 0);
  grid->addWidget(fidDelay_, 2, 1);
  grid->addWidget(LabelFor(strings, kStrK8VidDelayLabel, vidDelay_), 3, 0);
  grid->addWidget(vidDelay_, 3, 1);
  grid->setColumnStretch(0, 1);

  auto* scheme = MakeOwned<QGroupBox>(PageText(strings, kStrK8SchemeGroup));
  auto* buttons = MakeOwned<QVBoxLayout>(scheme);
  for (QRadioButton* button : schemes_) buttons->addWidget(button);
  auto* note = MakeOwned<QLabel>(PageText(strings, kStrK8SchemeNote));
  note->setWordWrap(true);
  buttons->addWidget(note);

  auto* tab = MakeOwned<QVBoxLayout>(this);
  tab->addWidget(timings);
  tab->addWidget(scheme);
  tab->addStretch(1);

  for (QSpinBox* box : {stopGrant_, fidDelay_, vidDelay_}) {
    connect(box, &QSpinBox::valueChanged, this, [this] {
      if (!showing_) edited_();
    });
  }
  connect(rampOffset_, &QComboBox::currentIndexChanged, this, [this] {
    if (!showing_) edited_();
  });
  for (QRadioButton* button : schemes_) {
    connect(button, &QRadioButton::toggled, this, [this](bool on) {
      if (on && !showing_) edited_();
    });
  }

  // With 100 MHz steps every transition already moves by half FIDs.
  const bool whole = !facts.hundredMhzSteps;
  schemes_[static_cast<size_t>(k8::Scheme::kOfficialWhole)]->setEnabled(whole);
  schemes_[static_cast<size_t>(k8::Scheme::kDirectWhole)]->setEnabled(whole);
  setEnabled(facts.fidVidControl);
}

void TransitionsTab::Show(const k8::RestartValues& values) {
  showing_ = true;
  stopGrant_->setValue(values.stopGrantTimeoutCount);
  rampOffset_->setCurrentIndex(
      std::clamp(values.rampVoltageOffsetMv / kRampOffsetStepMv, 0, kRampOffsets - 1));
  fidDelay_->setValue(values.fidDelayUs);
  vidDelay_->setValue(values.vidDelayUs);
  schemes_[static_cast<size_t>(values.scheme)]->setChecked(true);
  showing_ = false;
}

void TransitionsTab::Collect(k8::RestartValues& values) const {
  values.stopGrantTimeoutCount = stopGrant_->value();
  values.rampVoltageOffsetMv = rampOffset_->currentIndex() * kRampOffsetStepMv;
  values.fidDelayUs = fidDelay_->value();
  values.vidDelayUs = vidDelay_->value();
  for (size_t i = 0; i < schemes_.size(); ++i) {
    if (schemes_[i]->isChecked()) values.scheme = static_cast<k8::Scheme>(i);
  }
}

}  // namespace pacetta::ui
