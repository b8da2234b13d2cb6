#include "ui/pages/battery_device/battery_device_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <string>
#include <utility>

#include "app/strings/string_ids.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

// The value fields, each found under its name, with the text it shows.
using Field = std::string battery::DevicePageTexts::*;
struct Row {
  uint32_t label;  // 0: the label changes with the rate's sign
  const char* name;
  Field field;
};

constexpr Row kStatusRows[] = {
    {kStrBatteryPowerStateLabel, "PowerState", &battery::DevicePageTexts::powerState},
    {kStrBatteryCapacityLabel, "RemainingCapacity", &battery::DevicePageTexts::remainingCapacity},
    {0, "Rate", &battery::DevicePageTexts::rate},
    {0, "Time", &battery::DevicePageTexts::time},
    {kStrBatteryVoltageLabel, "Voltage", &battery::DevicePageTexts::voltage},
    {kStrBatteryTemperatureLabel, "Temperature", &battery::DevicePageTexts::temperature},
};

constexpr Row kInfoRows[] = {
    {kStrBatteryDeviceNameLabel, "DeviceName", &battery::DevicePageTexts::name},
    {kStrBatteryManufacturerLabel, "Manufacturer", &battery::DevicePageTexts::manufacturer},
    {kStrBatteryUniqueIdLabel, "UniqueId", &battery::DevicePageTexts::uniqueId},
    {kStrBatteryChemistryLabel, "Chemistry", &battery::DevicePageTexts::chemistry},
    {kStrBatteryDateLabel, "Manufactured", &battery::DevicePageTexts::manufactured},
    {kStrBatteryCyclesLabel, "CycleCount", &battery::DevicePageTexts::cycleCount},
    {kStrBatteryDesignedLabel, "DesignedCapacity", &battery::DevicePageTexts::designedCapacity},
    {kStrBatteryFullChargedLabel, "FullChargedCapacity",
     &battery::DevicePageTexts::fullChargedCapacity},
    {kStrBatteryWarningAlertLabel, "WarningAlert", &battery::DevicePageTexts::warningAlert},
    {kStrBatteryLowAlertLabel, "LowAlert", &battery::DevicePageTexts::lowAlert},
    {kStrBatteryCriticalBiasLabel, "CriticalBias", &battery::DevicePageTexts::criticalBias},
    {kStrBatteryRelativeLabel, "RelativeCapacity", &battery::DevicePageTexts::relativeCapacity},
    {kStrBatteryShortTermLabel, "ShortTerm", &battery::DevicePageTexts::shortTerm},
    {kStrBatterySystemLabel, "SystemBattery", &battery::DevicePageTexts::systemBattery},
    {kStrBatteryRechargeableLabel, "Rechargeable", &battery::DevicePageTexts::rechargeable},
    {kStrBatteryChargeRequestsLabel, "ChargeRequests", &battery::DevicePageTexts::chargeRequests},
    {kStrBatteryDischargeRequestsLabel, "DischargeRequests",
     &battery::DevicePageTexts::dischargeRequests},
};

QLabel* Value(const char* name) {
  auto* label = MakeOwned<QLabel>();
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

template <size_t N>
void FillRows(QWidget& page, const Row (&rows)[N], const battery::DevicePageTexts& texts) {
  for (const Row& row : rows) {
    if (auto* value = page.findChild<QLabel*>(row.name)) {
      value->setText(QString::fromStdString(texts.*row.field));
    }
  }
}

}  // namespace

BatteryDevicePage::BatteryDevicePage(PageContext context, BatteryMonitor& monitor)
    : Page(context), monitor_(monitor) {
  setObjectName("BatteryDevicePage");
  const StringTable& strings = Model().Strings();

  notPresent_ = MakeOwned<QWidget>();
  notPresent_->setObjectName("NotPresentView");
  refresh_ = PageButton(strings, kStrButtonRefresh, "Refresh");
  auto* notPresentColumn = MakeOwned<QVBoxLayout>(notPresent_);
  notPresentColumn->addStretch(1);
  auto* notice = MakeOwned<QLabel>(PageText(strings, kStrBatteryNotPresent));
  notice->setAlignment(Qt::AlignCenter);
  notPresentColumn->addWidget(notice);
  auto* refreshRow = MakeOwned<QHBoxLayout>();
  refreshRow->addStretch(1);
  refreshRow->addWidget(refresh_);
  refreshRow->addStretch(1);
  notPresentColumn->addLayout(refreshRow);
  notPresentColumn->addStretch(1);

  details_ = BuildDetails();
  views_ = MakeOwned<QStackedWidget>(this);
  views_->addWidget(details_);
  views_->addWidget(notPresent_);
  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(views_);

  connect(refresh_, &QPushButton::clicked, this, [this] { ReadAgain(); });
  connect(requestCharge_, &QPushButton::clicked, this, [this] { Request(true); });
  connect(requestDischarge_, &QPushButton::clicked, this, [this] { Request(false); });
}

QWidget* BatteryDevicePage::BuildDetails() {
  const StringTable& strings = Model().Strings();
  auto* details = MakeOwned<QWidget>();
  details->setObjectName("DeviceView");
  auto* column = MakeOwned<QVBoxLayout>(details);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);

  const auto grid = [&](uint32_t title, const auto& rows) {
    auto* group = MakeOwned<QGroupBox>(PageText(strings, title));
    auto* layout = MakeOwned<QGridLayout>(group);
    layout->setVerticalSpacing(1);
    int line = 0;
    for (const Row& row : rows) {
      QLabel* label =
          row.label != 0 ? MakeOwned<QLabel>(PageText(strings, row.label)) : MakeOwned<QLabel>();
      if (row.field == &battery::DevicePageTexts::rate) rateLabel_ = label;
      if (row.field == &battery::DevicePageTexts::time) timeLabel_ = label;
      layout->addWidget(label, line, 0);
      layout->addWidget(Value(row.name), line++, 1);
    }
    layout->setColumnStretch(1, 1);
    column->addWidget(group);
  };
  grid(kStrBatteryDeviceStatusGroup, kStatusRows);
  grid(kStrBatteryDeviceInfoGroup, kInfoRows);
  column->addStretch(1);

  requestCharge_ = PageButton(strings, kStrBatteryRequestCharge, "RequestCharge");
  requestDischarge_ = PageButton(strings, kStrBatteryRequestDischarge, "RequestDischarge");
  auto* buttons = MakeOwned<QHBoxLayout>();
  buttons->addWidget(requestCharge_);
  buttons->addWidget(requestDischarge_);
  buttons->addStretch(1);
  column->addLayout(buttons);
  return details;
}

void BatteryDevicePage::LoadDevice(size_t index) {
  index_ = index;
  ShowDevice();
}

void BatteryDevicePage::RefreshShownValues() {
  ShowDevice();
}

bool BatteryDevicePage::ShowsNotPresent() const {
  return views_->currentWidget() == notPresent_;
}

void BatteryDevicePage::ShowDevice() {
  if (index_ >= monitor_.DeviceCount() || !monitor_.Device(index_).present) {
    views_->setCurrentWidget(notPresent_);
    return;
  }
  const battery::DevicePageTexts texts = monitor_.DeviceTexts(index_);
  const StringTable& strings = Model().Strings();
  rateLabel_->setText(PageText(strings, texts.rateLabel));
  timeLabel_->setText(PageText(strings, texts.timeLabel));
  FillRows(*details_, kStatusRows, texts);
  FillRows(*details_, kInfoRows, texts);
  requestCharge_->setEnabled(texts.canRequestCharge);
  requestDischarge_->setEnabled(texts.canRequestDischarge);
  views_->setCurrentWidget(details_);
}

void BatteryDevicePage::ReadAgain() {
  monitor_.ReadDevice(index_);
  ShowDevice();
}

void BatteryDevicePage::Request(bool charge) {
  if (charge) {
    monitor_.RequestCharge(index_);
  } else {
    monitor_.RequestDischarge(index_);
  }
  // The device's answer shows in its state at once.
  ReadAgain();
}

bool HasBatteryDevicePage(const DesktopModel& model) {
  return model.Battery() != nullptr;
}

std::unique_ptr<Page> MakeBatteryDevicePage(PageContext context) {
  // Registered with HasBatteryDevicePage: the monitor is there.
  return std::make_unique<BatteryDevicePage>(context, *context.model.Battery());
}

}  // namespace pacetta::ui
