#include "ui/pages/advanced_k8/cpu_setup_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "cpu/advanced/k8/k8_alt_vid.h"
#include "ui/pages/page_controls.h"

namespace pacetta::ui {
namespace {

using page_controls::Check;
using page_controls::Combo;
using page_controls::LabelFor;
using page_controls::Spin;

constexpr int kDivisors = 7;  // 8 x 2^0 .. 8 x 2^6; the field's value 7 means nothing
constexpr const char* kGoodPhaseErrors[] = {"0", "1", "2", "3", "4", "8", "15", "100"};
// The last four exist only on alternate-VID processors.
constexpr const char* kRampHystereses[] = {"0",    "125",  "250",  "375",  "500",   "750",
                                           "1000", "2000", "4000", "8000", "16000", "32000"};
constexpr int kBaseHystereses = 8;
constexpr int kMaxMicroseconds = 5240;  // both fields' counters hold up to this

// An image button that opens its menu of presets.
QToolButton* PresetButton(const StringTable& strings, const char* name) {
  auto* button = MakeOwned<QToolButton>();
  button->setObjectName(name);
  button->setToolTip(PageText(strings, kStrK8PresetTip));
  button->setIcon(button->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  button->setPopupMode(QToolButton::InstantPopup);
  button->setMenu(MakeOwned<QMenu>(button));
  return button;
}

void SetChoice(QComboBox& box, std::optional<uint32_t> value) {
  box.setCurrentIndex(
      value && *value < static_cast<uint32_t>(box.count()) ? static_cast<int>(*value) : -1);
}

// The list's value, or `otherwise` while nothing is chosen.
uint32_t ChoiceOr(const QComboBox& box, uint32_t otherwise) {
  return box.currentIndex() >= 0 ? static_cast<uint32_t>(box.currentIndex()) : otherwise;
}

}  // namespace

CpuSetupTab::CpuSetupTab(const StringTable& strings, const K8PageFacts& facts,
                         std::function<bool()> confirmAltVid, std::function<void()> edited)
    : facts_(facts), confirmAltVid_(std::move(confirmAltVid)), edited_(std::move(edited)) {
  setObjectName("CpuSetupTab");
  acpiPresets_ = PresetButton(strings, "AcpiPresets");
  for (size_t i = 0; i < k8::kAcpiPresetCount; ++i) {
    acpiPresets_->menu()->addAction(PageText(strings, kStrK8AcpiPresetFirst + i), this,
                                    [this, i] { LoadAcpiPreset(static_cast<k8::AcpiPreset>(i)); });
  }
  state_ = Combo("AcpiState");
  for (uint32_t i = 0; i < kAcpiStateCount; ++i) {
    state_->addItem(PageText(strings, kStrAcpiStateFirst + i));
  }
  divisor_ = Combo("ClockDivisor");
  for (int v = 0; v < kDivisors; ++v) {
    divisor_->addItem(QString::fromStdString(FormatText(strings.Get(kStrDivideBy), {8 << v})));
  }
  cpuLowPower_ = Check(strings, kStrK8CpuLowPower, "CpuLowPower");
  northbridgeLowPower_ = Check(strings, kStrK8NorthbridgeLowPower, "NorthbridgeLowPower");
  fidVidChange_ = Check(strings, kStrK8FidVidChange, "FidVidChange");
  altVidChange_ = Check(strings, kStrK8AltVidChange, "AltVidChange");
  altVid_ = Combo("AltVid");
  for (const double volts : facts_.altVidVoltages) {
    altVid_->addItem(QString::fromStdString(FormatText(strings.Get(kStrVoltageValue), {volts})));
  }
  vsTime_ = Spin("AltVidStabilization", 0, kMaxMicroseconds, 1);
  autoAdjust_ = MakeOwned<QPushButton>(PageText(strings, kStrK8AutoAdjust));
  autoAdjust_->setObjectName("AutoAdjust");

  clockPresets_ = PresetButton(strings, "ClockPresets");
  for (size_t i = 0; i < k8::kClockPresetCount; ++i) {
    clockPresets_->menu()->addAction(
        PageText(strings, kStrK8ClockPresetFirst + i), this,
        [this, i] { LoadClockPreset(static_cast<k8::ClockPreset>(i)); });
  }
  goodPhaseError_ = Combo("GoodPhaseError");
  for (const char* text : kGoodPhaseErrors) goodPhaseError_->addItem(QString::fromUtf8(text));
  rampHysteresis_ = Combo("RampHysteresis");
  const int hystereses =
      facts_.altVidProcessor ? static_cast<int>(std::size(kRampHystereses)) : kBaseHystereses;
  for (int i = 0; i < hystereses; ++i)
    rampHysteresis_->addItem(QString::fromUtf8(kRampHystereses[i]));
  pllLock_ = Spin("PllLockTime", 0, kMaxMicroseconds, 1);
  remember_ = Check(strings, kStrK8RememberAdvanced, "RememberAdvanced");

  // Each group's preset button sits at the end of its first row.
  auto* acpi = MakeOwned<QGroupBox>(PageText(strings, kStrK8AcpiGroup));
  auto* acpiGrid = MakeOwned<QGridLayout>(acpi);
  acpiGrid->addWidget(LabelFor(strings, kStrK8AcpiStateLabel, state_), 0, 0);
  acpiGrid->addWidget(state_, 0, 1);
  acpiGrid->addWidget(acpiPresets_, 0, 2);
  acpiGrid->addWidget(LabelFor(strings, kStrK8ClockDivisorLabel, divisor_), 1, 0);
  acpiGrid->addWidget(divisor_, 1, 1);
  acpiGrid->addWidget(cpuLowPower_, 2, 0, 1, 3);
  acpiGrid->addWidget(northbridgeLowPower_, 3, 0, 1, 3);
  acpiGrid->addWidget(fidVidChange_, 4, 0, 1, 3);
  acpiGrid->addWidget(altVidChange_, 5, 0, 1, 3);
  acpiGrid->addWidget(LabelFor(strings, kStrK8AltVidLabel, altVid_), 6, 0);
  acpiGrid->addWidget(altVid_, 6, 1);
  // The time's label is long: it takes a row of its own above the field and its button.
  acpiGrid->addWidget(LabelFor(strings, kStrK8VsTimeLabel, vsTime_), 7, 0, 1, 3);
  auto* vsTimeRow = MakeOwned<QHBoxLayout>();
  vsTimeRow->addWidget(vsTime_, 1);
  vsTimeRow->addWidget(autoAdjust_);
  acpiGrid->addLayout(vsTimeRow, 8, 1, 1, 2);
  acpiGrid->setColumnStretch(0, 1);

  auto* clock = MakeOwned<QGroupBox>(PageText(strings, kStrK8ClockGroup));
  auto* clockGrid = MakeOwned<QGridLayout>(clock);
  clockGrid->addWidget(LabelFor(strings, kStrK8GoodPhaseErrorLabel, goodPhaseError_), 0, 0);
  clockGrid->addWidget(goodPhaseError_, 0, 1);
  clockGrid->addWidget(clockPresets_, 0, 2);
  clockGrid->addWidget(LabelFor(strings, kStrK8RampHysteresisLabel, rampHysteresis_), 1, 0);
  clockGrid->addWidget(rampHysteresis_, 1, 1);
  clockGrid->addWidget(LabelFor(strings, kStrK8PllLockLabel, pllLock_), 2, 0);
  clockGrid->addWidget(pllLock_, 2, 1);
  clockGrid->setColumnStretch(0, 1);

  auto* tab = MakeOwned<QVBoxLayout>(this);
  tab->addWidget(acpi);
  tab->addWidget(clock);
  tab->addWidget(remember_);
  tab->addStretch(1);

  // The state left keeps what was shown of it before the next state is shown.
  connect(state_, &QComboBox::currentIndexChanged, this, [this](int state) {
    if (!showing_) StoreShownState();
    ShowState(state);
  });
  connect(altVidChange_, &QCheckBox::clicked, this,
          [this](bool checked) { OnAltVidTicked(checked); });
  connect(autoAdjust_, &QPushButton::clicked, this, [this] { AutoAdjust(); });
  for (QComboBox* box : {divisor_, altVid_, goodPhaseError_, rampHysteresis_}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this] { FollowEdits(); });
  }
  for (QCheckBox* box :
       {cpuLowPower_, northbridgeLowPower_, fidVidChange_, altVidChange_, remember_}) {
    connect(box, &QCheckBox::toggled, this, [this] { FollowEdits(); });
  }
  for (QSpinBox* box : {vsTime_, pllLock_}) {
    connect(box, &QSpinBox::valueChanged, this, [this] { FollowEdits(); });
  }

  // Only alternate-VID processors have the mode bit, the VID and its time.
  for (QWidget* control : {static_cast<QWidget*>(altVidChange_), static_cast<QWidget*>(altVid_),
                           static_cast<QWidget*>(vsTime_)}) {
    control->setEnabled(facts_.altVidProcessor);
  }
  showing_ = true;
  ShowState(0);
  showing_ = false;
}

void CpuSetupTab::Show(const k8::CpuSetup& setup) {
  showing_ = true;
  setup_ = setup;
  ShowState(shownState_);
  SetChoice(*altVid_, facts_.altVidProcessor ? setup.altVidIndex : std::nullopt);
  vsTime_->setValue(static_cast<int>(setup.vsTimeUs));
  SetChoice(*goodPhaseError_, setup.goodPhaseError);
  SetChoice(*rampHysteresis_, setup.rampHysteresis);
  pllLock_->setValue(static_cast<int>(setup.pllLockUs));
  showing_ = false;
  FollowEdits();
}

void CpuSetupTab::ShowRememberAdvanced(bool remember) {
  showing_ = true;
  remember_->setChecked(remember);
  showing_ = false;
  FollowEdits();
}

void CpuSetupTab::ShowState(int state) {
  if (state < 0 || static_cast<size_t>(state) >= k8::kAcpiStates) return;
  const bool wasShowing = std::exchange(showing_, true);
  shownState_ = state;
  const k8::PowerMode& mode = setup_.modes[static_cast<size_t>(state)];
  SetChoice(*divisor_, mode.divisor);
  cpuLowPower_->setChecked(mode.cpuLowPower);
  northbridgeLowPower_->setChecked(mode.northbridgeLowPower);
  fidVidChange_->setChecked(mode.fidVidChange);
  altVidChange_->setChecked(facts_.altVidProcessor && mode.altVidChange);
  showing_ = wasShowing;
}

void CpuSetupTab::StoreShownState() {
  k8::PowerMode& mode = setup_.modes[static_cast<size_t>(shownState_)];
  mode.divisor = ChoiceOr(*divisor_, mode.divisor);
  mode.cpuLowPower = cpuLowPower_->isChecked();
  mode.northbridgeLowPower = northbridgeLowPower_->isChecked();
  mode.fidVidChange = fidVidChange_->isChecked();
  // Elsewhere the bit is not the page's: what was read stays.
  if (facts_.altVidProcessor) mode.altVidChange = altVidChange_->isChecked();
}

k8::CpuSetup CpuSetupTab::Setup() {
  StoreShownState();
  k8::CpuSetup setup = setup_;
  if (facts_.altVidProcessor) {
    setup.altVidIndex =
        altVid_->currentIndex() >= 0
            ? std::optional<uint32_t>(static_cast<uint32_t>(altVid_->currentIndex()))
            : std::nullopt;
    setup.vsTimeUs = static_cast<uint32_t>(vsTime_->value());
  }
  setup.goodPhaseError = ChoiceOr(*goodPhaseError_, setup.goodPhaseError);
  setup.rampHysteresis = ChoiceOr(*rampHysteresis_, setup.rampHysteresis);
  setup.pllLockUs = static_cast<uint32_t>(pllLock_->value());
  return setup;
}

bool CpuSetupTab::RememberAdvanced() const {
  return remember_->isChecked();
}

void CpuSetupTab::LoadAcpiPreset(k8::AcpiPreset preset) {
  k8::CpuSetup setup = Setup();
  setup.modes = k8::AcpiPresetModes(preset, facts_.extendedModel, facts_.altVidProcessor);
  Show(setup);
}

void CpuSetupTab::LoadClockPreset(k8::ClockPreset preset) {
  const k8::ClockTimings timings = k8::ClockPresetTimings(preset, facts_.altVidProcessor);
  k8::CpuSetup setup = Setup();
  setup.goodPhaseError = timings.goodPhaseError;
  setup.rampHysteresis = timings.rampHysteresis;
  setup.pllLockUs = timings.pllLockUs;
  Show(setup);
}

void CpuSetupTab::AutoAdjust() {
  const int chosen = altVid_->currentIndex();
  if (chosen < 0 || static_cast<size_t>(chosen) >= facts_.altVidVoltages.size()) return;
  // The list rises in voltage: the supply comes back from the chosen entry up to the top
  // of the range, its last entry.
  vsTime_->setValue(static_cast<int>(k8::AutoAdjustedVsTimeUs(
      facts_.altVidVoltages.back(), facts_.altVidVoltages[static_cast<size_t>(chosen)])));
}

void CpuSetupTab::OnAltVidTicked(bool checked) {
  // The mode must never serve FID/VID changes or UMA graphics: ticking it is confirmed.
  if (checked && !confirmAltVid_()) altVidChange_->setChecked(false);
}

void CpuSetupTab::FollowEdits() {
  if (showing_) return;
  autoAdjust_->setEnabled(facts_.altVidProcessor && altVid_->currentIndex() >= 0);
  edited_();
}

}  // namespace pacetta::ui
