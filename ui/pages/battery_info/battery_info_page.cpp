#include "ui/pages/battery_info/battery_info_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/strings/string_ids.h"
#include "battery/battery_options.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_controls.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

using page_controls::Check;
using page_controls::LabelFor;
using page_controls::Spin;

QLabel* Value(const char* name) {
  auto* label = MakeOwned<QLabel>();
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

void SetText(QLabel* label, const std::string& text) {
  label->setText(QString::fromStdString(text));
}

// Whole seconds of a stored interval, within the field's range.
int Seconds(int32_t ms, const QSpinBox& field) {
  return std::clamp((ms + 500) / 1000, field.minimum(), field.maximum());
}

}  // namespace

BatteryInfoPage::BatteryInfoPage(PageContext context, BatteryMonitor& monitor)
    : Page(context), monitor_(monitor) {
  setObjectName("BatteryInfoPage");
  const StringTable& strings = Model().Strings();
  powerSource_ = Value("PowerSource");
  charge_ = Value("ChargeRemaining");
  lifeTime_ = Value("LifeTimeRemaining");
  fullLifeTime_ = Value("FullLifeTime");
  devNotify_ = Check(strings, kStrBatteryDevNotify, "DevNotify");
  pollEnable_ = Check(strings, kStrBatteryPollEnable, "PollEnable");
  pollInterval_ =
      Spin("PollInterval", battery::kShortestPollMs / 1000, battery::kLongestPollMs / 1000, 1);
  average_ = Spin("EstimationAverage", battery::kShortestAverageMs / 1000,
                  battery::kLongestAverageMs / 1000, 1);
  forceRate_ = Check(strings, kStrBatteryForceRate, "ForceRateEstimate");
  forceLifeTime_ = Check(strings, kStrBatteryForceLifeTime, "ForceLifeTimeEstimate");
  trayDischarging_ = Check(strings, kStrBatteryTrayDischarging, "TrayDischarging");
  trayCharging_ = Check(strings, kStrBatteryTrayCharging, "TrayCharging");
  trayOnAc_ = Check(strings, kStrBatteryTrayOnAc, "TrayOnAc");
  refreshList_ = PageButton(strings, kStrBatteryRefreshList, "RefreshList");
  apply_ = PageButton(strings, kStrButtonApply, "Apply");

  auto* status = MakeOwned<QGroupBox>(PageText(strings, kStrBatteryStatusGroup));
  auto* statusGrid = MakeOwned<QGridLayout>(status);
  const std::pair<uint32_t, QLabel*> rows[] = {{kStrBatteryPowerSourceLabel, powerSource_},
                                               {kStrBatteryChargeLabel, charge_},
                                               {kStrBatteryLifeTimeLabel, lifeTime_},
                                               {kStrBatteryFullLifeTimeLabel, fullLifeTime_}};
  int row = 0;
  for (const auto& [id, value] : rows) {
    statusGrid->addWidget(MakeOwned<QLabel>(PageText(strings, id)), row, 0);
    statusGrid->addWidget(value, row++, 1);
  }
  statusGrid->setColumnStretch(1, 1);

  auto* devices = MakeOwned<QGroupBox>(PageText(strings, kStrBatteryDevicesGroup));
  auto* deviceGrid = MakeOwned<QGridLayout>(devices);
  deviceGrid->addWidget(devNotify_, 0, 0, 1, 2);
  deviceGrid->addWidget(pollEnable_, 1, 0, 1, 2);
  deviceGrid->addWidget(LabelFor(strings, kStrBatteryPollIntervalLabel, pollInterval_), 2, 0);
  deviceGrid->addWidget(pollInterval_, 2, 1);
  deviceGrid->addWidget(LabelFor(strings, kStrBatteryAverageLabel, average_), 3, 0);
  deviceGrid->addWidget(average_, 3, 1);
  deviceGrid->addWidget(forceRate_, 4, 0, 1, 2);
  deviceGrid->addWidget(forceLifeTime_, 5, 0, 1, 2);
  deviceGrid->setColumnStretch(0, 1);

  auto* tray = MakeOwned<QGroupBox>(PageText(strings, kStrBatteryTrayGroup));
  auto* trayColumn = MakeOwned<QVBoxLayout>(tray);
  for (QCheckBox* box : {trayDischarging_, trayCharging_, trayOnAc_}) trayColumn->addWidget(box);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(status);
  page->addWidget(devices);
  page->addWidget(tray);
  page->addStretch(1);
  auto* buttons = MakeOwned<QHBoxLayout>();
  buttons->addWidget(refreshList_);
  buttons->addStretch(1);
  buttons->addWidget(apply_);
  page->addLayout(buttons);

  for (QCheckBox* box : {devNotify_, pollEnable_, forceRate_, forceLifeTime_, trayDischarging_,
                         trayCharging_, trayOnAc_}) {
    connect(box, &QCheckBox::toggled, this, [this] { FollowEdits(); });
  }
  for (QSpinBox* field : {pollInterval_, average_}) {
    connect(field, &QSpinBox::valueChanged, this, [this] { FollowEdits(); });
  }
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  connect(refreshList_, &QPushButton::clicked, this, [this] { RefreshList(); });
  Reload();
}

void BatteryInfoPage::Reload() {
  const AppSettings& settings = Model().Settings();
  const BatterySettings& battery = settings.battery;
  showing_ = true;
  devNotify_->setChecked(battery.devNotifyEnable != 0);
  pollEnable_->setChecked(battery.pollEnable != 0);
  pollInterval_->setValue(Seconds(battery.pollIntervalMs, *pollInterval_));
  average_->setValue(Seconds(battery.estimationAverageMs, *average_));
  forceRate_->setChecked(battery.chargeRateForceEstimate != 0);
  forceLifeTime_->setChecked(battery.lifeTimeForceEstimate != 0);
  trayDischarging_->setChecked(settings.tray.showBatteryDischarging != 0);
  trayCharging_->setChecked(settings.tray.showBatteryCharging != 0);
  trayOnAc_->setChecked(settings.tray.showBatteryOnAc != 0);
  showing_ = false;
  FollowEdits();
  RefreshShownValues();
}

void BatteryInfoPage::RefreshShownValues() {
  const battery::BatteryInfoTexts texts = monitor_.InfoTexts();
  SetText(powerSource_, texts.powerSource);
  SetText(charge_, texts.chargeRemaining);
  SetText(lifeTime_, texts.lifeTimeRemaining);
  SetText(fullLifeTime_, texts.fullLifeTime);
}

BatterySettings BatteryInfoPage::EditedBattery() {
  BatterySettings battery = Model().Settings().battery;
  battery.devNotifyEnable = devNotify_->isChecked() ? 1 : 0;
  battery.pollEnable = pollEnable_->isChecked() ? 1 : 0;
  // A stored interval the field shows rounded stays as it is until the field is edited.
  if (pollInterval_->value() != Seconds(battery.pollIntervalMs, *pollInterval_)) {
    battery.pollIntervalMs = pollInterval_->value() * 1000;
  }
  if (average_->value() != Seconds(battery.estimationAverageMs, *average_)) {
    battery.estimationAverageMs = average_->value() * 1000;
  }
  battery.chargeRateForceEstimate = forceRate_->isChecked() ? 1 : 0;
  battery.lifeTimeForceEstimate = forceLifeTime_->isChecked() ? 1 : 0;
  return battery;
}

TraySettings BatteryInfoPage::EditedTray() {
  TraySettings tray = Model().Settings().tray;
  tray.showBatteryDischarging = trayDischarging_->isChecked() ? 1 : 0;
  tray.showBatteryCharging = trayCharging_->isChecked() ? 1 : 0;
  tray.showBatteryOnAc = trayOnAc_->isChecked() ? 1 : 0;
  return tray;
}

void BatteryInfoPage::FollowEdits() {
  if (showing_) return;
  // Without polling there is no device to read, so its interval means nothing.
  pollInterval_->setEnabled(pollEnable_->isChecked());
  // Without the icon while discharging the icon is not managed at all.
  trayCharging_->setEnabled(trayDischarging_->isChecked());
  trayOnAc_->setEnabled(trayDischarging_->isChecked() && trayCharging_->isChecked());
  const TraySettings& tray = Model().Settings().tray;
  const TraySettings edited = EditedTray();
  apply_->setEnabled(!(EditedBattery() == Model().Settings().battery) ||
                     edited.showBatteryDischarging != tray.showBatteryDischarging ||
                     edited.showBatteryCharging != tray.showBatteryCharging ||
                     edited.showBatteryOnAc != tray.showBatteryOnAc);
}

void BatteryInfoPage::Apply() {
  Model().ApplyBattery(EditedBattery(), EditedTray());
  apply_->setEnabled(false);
  RefreshShownValues();
}

void BatteryInfoPage::RefreshList() {
  monitor_.Rebuild();
  // The window's device items follow the new list with the views.
  Model().ForceRefresh();
}

bool HasBatteryInfoPage(const DesktopModel& model) {
  return model.Battery() != nullptr;
}

std::unique_ptr<Page> MakeBatteryInfoPage(PageContext context) {
  // Registered with HasBatteryInfoPage: the monitor is there.
  return std::make_unique<BatteryInfoPage>(context, *context.model.Battery());
}

}  // namespace pacetta::ui
