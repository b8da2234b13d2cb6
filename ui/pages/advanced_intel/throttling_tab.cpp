#include "ui/pages/advanced_intel/throttling_tab.h"

#include <QGridLayout>
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

constexpr uint32_t kDutyValues = 8;        // the field's three bits
constexpr double kDutyStepPercent = 12.5;  // value v throttles to 12.5 % x v

QComboBox* DutyList(const StringTable& strings, const char* name) {
  QComboBox* box = Combo(name);
  box->addItem(PageText(strings, kStrIchDutyDefault));
  for (uint32_t v = 1; v < kDutyValues; ++v) {
    box->addItem(
        QString::fromStdString(FormatText(strings.Get(kStrIchDuty), {kDutyStepPercent * v})));
  }
  return box;
}

uint32_t DutyOf(const QComboBox& box, uint32_t shown) {
  return box.currentIndex() >= 0 ? static_cast<uint32_t>(box.currentIndex()) : shown;
}

void ShowDuty(QComboBox& box, uint32_t duty) {
  box.setCurrentIndex(duty < kDutyValues ? static_cast<int>(duty) : -1);
}

}  // namespace

ThrottlingTab::ThrottlingTab(const StringTable& strings, const CentrinoChipset& chipset,
                             std::function<void()> edited)
    : strings_(strings), edited_(std::move(edited)) {
  setObjectName("ThrottlingTab");
  forceThermal_ = Check(strings, kStrIchForceThermal, "ForceThermalThrottling");
  thermalDuty_ = DutyList(strings, "ThermalDuty");
  normal_ = Check(strings, kStrIchNormalThrottling, "NormalThrottling");
  normalDuty_ = DutyList(strings, "NormalDuty");
  status_ = MakeOwned<QLabel>();
  status_->setObjectName("ThrottlingStatus");
  lock_ = Check(strings, kStrIchThrottleLock, "ThrottleLock");

  auto* heading = MakeOwned<QLabel>(PageText(strings, kStrIchThrottlingTitle));
  heading->setObjectName("Title");
  heading->setWordWrap(true);
  auto* grid = MakeOwned<QGridLayout>();
  grid->addWidget(forceThermal_, 0, 0);
  grid->addWidget(thermalDuty_, 0, 1);
  grid->addWidget(normal_, 1, 0);
  grid->addWidget(normalDuty_, 1, 1);
  grid->addWidget(LabelFor(strings, kStrIchThrottlingStatusLabel, status_), 2, 0);
  grid->addWidget(status_, 2, 1);
  grid->addWidget(lock_, 3, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  auto* tab = MakeOwned<QVBoxLayout>(this);
  tab->addWidget(heading);
  tab->addLayout(grid);
  tab->addStretch(1);

  for (QCheckBox* box : {forceThermal_, normal_, lock_}) {
    connect(box, &QCheckBox::toggled, this, [this] {
      if (!showing_) edited_();
    });
  }
  for (QComboBox* box : {thermalDuty_, normalDuty_}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this] {
      if (!showing_) edited_();
    });
  }
  // Without a known hub (or its power-management block) nothing here can be read or set.
  const bool usable =
      chipset.Identity().generation.has_value() && chipset.Identity().throttlingAvailable;
  for (QWidget* control :
       std::initializer_list<QWidget*>{forceThermal_, thermalDuty_, normal_, normalDuty_, lock_}) {
    control->setEnabled(usable);
  }
  ShowStatus(std::nullopt);
}

void ThrottlingTab::ShowThrottling(const ChipsetValues& values) {
  showing_ = true;
  shown_ = values;
  forceThermal_->setChecked(values.forceThermalThrottling);
  ShowDuty(*thermalDuty_, values.thermalDuty);
  normal_->setChecked(values.normalThrottling);
  ShowDuty(*normalDuty_, values.normalDuty);
  showing_ = false;
}

void ThrottlingTab::ShowLock(bool locked) {
  showing_ = true;
  lock_->setChecked(locked);
  showing_ = false;
}

void ThrottlingTab::ShowStatus(std::optional<bool> active) {
  const uint32_t id = !active ? kStrNotAvailableShort : *active ? kStrActive : kStrInactive;
  status_->setText(PageText(strings_, id));
}

bool ThrottlingTab::Locked() const {
  return lock_->isChecked();
}

void ThrottlingTab::Collect(ChipsetValues& values) const {
  values.forceThermalThrottling = forceThermal_->isChecked();
  values.thermalDuty = DutyOf(*thermalDuty_, shown_.thermalDuty);
  values.normalThrottling = normal_->isChecked();
  values.normalDuty = DutyOf(*normalDuty_, shown_.normalDuty);
  values.throttleLock = lock_->isChecked();
}

}  // namespace pacetta::ui
