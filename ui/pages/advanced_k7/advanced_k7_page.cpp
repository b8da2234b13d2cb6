#include "ui/pages/advanced_k7/advanced_k7_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_catalogue.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

K7Advanced* K7Of(const DesktopModel& model) {
  return dynamic_cast<K7Advanced*>(model.Advanced());
}

QComboBox* DivisorList(const StringTable& strings, const char* name) {
  auto* box = MakeOwned<QComboBox>();
  box->setObjectName(name);
  for (uint32_t value = 0; value <= k7::kDivisorMax; ++value) {
    box->addItem(QString::fromStdString(
        FormatText(strings.Get(kStrDivideBy), {static_cast<int64_t>(k7::DivisorOf(value))})));
  }
  return box;
}

QComboBox* RampDelayList(size_t n) {
  auto* box = MakeOwned<QComboBox>();
  box->setObjectName(QString("RampDelay%1").arg(n));
  for (uint32_t value = 0; value <= k7::kRampDelayMax; ++value) {
    box->addItem(QString::number(k7::RampDelayClocks(value)));
  }
  return box;
}

QSpinBox* NumberField(int low, int high, int step, const char* name) {
  auto* field = MakeOwned<QSpinBox>();
  field->setObjectName(name);
  field->setRange(low, high);
  field->setSingleStep(step);
  return field;
}

QLabel* LabelFor(const StringTable& strings, uint32_t id, QWidget* buddy) {
  auto* label = MakeOwned<QLabel>(PageText(strings, id));
  label->setBuddy(buddy);
  return label;
}

// A list's entry for a register value; none for a value the list does not offer.
int EntryOf(uint32_t value, uint32_t max) {
  return value <= max ? static_cast<int>(value) : -1;
}

// The value of a list's entry; an empty list selection keeps the register's bits (the
// value lies outside the field's range).
uint32_t ValueOf(const QComboBox& box, uint32_t shown) {
  return box.currentIndex() >= 0 ? static_cast<uint32_t>(box.currentIndex()) : shown;
}

}  // namespace

AdvancedK7Page::AdvancedK7Page(PageContext context, K7Advanced& k7) : Page(context), k7_(k7) {
  setObjectName("AdvancedK7Page");
  const StringTable& strings = Model().Strings();
  haltDivisor_ = DivisorList(strings, "HaltDivisor");
  stopGrantDivisor_ = DivisorList(strings, "StopGrantDivisor");
  fullRamp_ = NumberField(static_cast<int>(k7::kFullRampMin), static_cast<int>(k7::kFullRampMax), 1,
                          "FullRamp");
  for (size_t n = 0; n < k7::kRampDelayCount; ++n) rampDelays_[n] = RampDelayList(n);
  apicDisconnect_ = MakeOwned<QCheckBox>(PageText(strings, kStrK7ApicDisconnect));
  apicDisconnect_->setObjectName("ApicDisconnect");
  stopGrantTimeout_ = NumberField(0, 1000000, 100, "StopGrantTimeout");
  fidDelay_ = NumberField(0, 100, 10, "FidDelay");
  vidDelay_ = NumberField(0, 200, 20, "VidDelay");
  mobileVids_ = MakeOwned<QRadioButton>(PageText(strings, kStrK7MobileVids));
  mobileVids_->setObjectName("MobileVids");
  desktopVids_ = MakeOwned<QRadioButton>(PageText(strings, kStrK7DesktopVids));
  desktopVids_->setObjectName("DesktopVids");
  remember_ = MakeOwned<QCheckBox>(PageText(strings, kStrK7RememberAdvanced));
  remember_->setObjectName("RememberAdvanced");
  refresh_ = PageButton(strings, kStrButtonRefresh, "Refresh");
  apply_ = PageButton(strings, kStrButtonApply, "Apply");

  auto* title = MakeOwned<QLabel>(PageText(strings, kStrK7PageTitle));
  title->setObjectName("Title");

  auto* clock = MakeOwned<QGridLayout>();
  clock->addWidget(LabelFor(strings, kStrK7HaltDivisorLabel, haltDivisor_), 0, 0);
  clock->addWidget(haltDivisor_, 0, 1);
  clock->addWidget(LabelFor(strings, kStrK7StopGrantDivisorLabel, stopGrantDivisor_), 1, 0);
  clock->addWidget(stopGrantDivisor_, 1, 1);
  clock->addWidget(LabelFor(strings, kStrK7FullRampLabel, fullRamp_), 2, 0);
  clock->addWidget(fullRamp_, 2, 1);
  clock->setColumnStretch(0, 1);
  // Ramp delay 4 stands on the left, ramp delay 0 on the right.
  auto* delays = MakeOwned<QHBoxLayout>();
  for (size_t n = k7::kRampDelayCount; n-- > 0;) delays->addWidget(rampDelays_[n]);

  transitions_ = MakeOwned<QGroupBox>(PageText(strings, kStrK7TransitionGroup));
  transitions_->setObjectName("TransitionGroup");
  auto* group = MakeOwned<QGridLayout>(transitions_);
  group->addWidget(LabelFor(strings, kStrK7StopGrantTimeoutLabel, stopGrantTimeout_), 0, 0);
  group->addWidget(stopGrantTimeout_, 0, 1);
  group->addWidget(LabelFor(strings, kStrK7FidDelayLabel, fidDelay_), 1, 0);
  group->addWidget(fidDelay_, 1, 1);
  group->addWidget(LabelFor(strings, kStrK7VidDelayLabel, vidDelay_), 2, 0);
  group->addWidget(vidDelay_, 2, 1);
  group->addWidget(MakeOwned<QLabel>(PageText(strings, kStrK7VidTableLabel)), 3, 0, 1, 2);
  group->addWidget(mobileVids_, 4, 0, 1, 2);
  group->addWidget(desktopVids_, 5, 0, 1, 2);
  group->setColumnStretch(0, 1);

  auto* buttons = MakeOwned<QHBoxLayout>();
  buttons->addWidget(refresh_);
  buttons->addStretch(1);
  buttons->addWidget(apply_);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(title);
  page->addLayout(clock);
  page->addWidget(MakeOwned<QLabel>(PageText(strings, kStrK7RampDelaysLabel)));
  page->addLayout(delays);
  page->addWidget(apicDisconnect_);
  page->addWidget(transitions_);
  page->addWidget(remember_);
  page->addStretch(1);
  page->addLayout(buttons);

  auto edited = [this] { FollowEdits(); };
  for (QComboBox* box : {haltDivisor_, stopGrantDivisor_}) {
    connect(box, &QComboBox::currentIndexChanged, this, edited);
  }
  for (QComboBox* box : rampDelays_) connect(box, &QComboBox::currentIndexChanged, this, edited);
  for (QSpinBox* field : {fullRamp_, stopGrantTimeout_, fidDelay_, vidDelay_}) {
    connect(field, &QSpinBox::valueChanged, this, edited);
  }
  for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{apicDisconnect_, mobileVids_,
                                                                      desktopVids_, remember_}) {
    connect(box, &QAbstractButton::toggled, this, edited);
  }
  connect(refresh_, &QPushButton::clicked, this, [this] { Refresh(); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });

  transitions_->setEnabled(k7_.Facts().fidVidControl);
  Reload();
}

void AdvancedK7Page::Reload() {
  storedRestart_ = k7_.StoredRestartValues();
  storedRemember_ = k7_.RememberAdvanced();
  ShowRestartValues(storedRestart_);
  Refresh();
}

void AdvancedK7Page::Refresh() {
  // A register that cannot be read shows what the page showed before.
  shownClock_ = k7_.ReadHardware().value_or(shownClock_);
  ShowClock(shownClock_);
  FollowEdits();
}

void AdvancedK7Page::ShowClock(const k7::ClockControl& clock) {
  showing_ = true;
  haltDivisor_->setCurrentIndex(EntryOf(clock.haltDivisor, k7::kDivisorMax));
  stopGrantDivisor_->setCurrentIndex(EntryOf(clock.stopGrantDivisor, k7::kDivisorMax));
  fullRamp_->setValue(static_cast<int>(clock.fullRamp));
  for (size_t n = 0; n < k7::kRampDelayCount; ++n) {
    rampDelays_[n]->setCurrentIndex(EntryOf(clock.rampDelays[n], k7::kRampDelayMax));
  }
  apicDisconnect_->setChecked(clock.apicDisconnect);
  showing_ = false;
}

void AdvancedK7Page::ShowRestartValues(const K7RestartValues& values) {
  showing_ = true;
  stopGrantTimeout_->setValue(values.stopGrantTimeoutCount);
  fidDelay_->setValue(values.fidDelayUs);
  vidDelay_->setValue(values.vidDelayUs);
  desktopVids_->setChecked(values.desktopVids);
  mobileVids_->setChecked(!values.desktopVids);
  remember_->setChecked(storedRemember_);
  showing_ = false;
}

k7::ClockControl AdvancedK7Page::EditedClock() const {
  k7::ClockControl clock;
  clock.haltDivisor = ValueOf(*haltDivisor_, shownClock_.haltDivisor);
  clock.stopGrantDivisor = ValueOf(*stopGrantDivisor_, shownClock_.stopGrantDivisor);
  // A full ramp the field cannot show (below 128) stays as the register has it until
  // the field is edited.
  const int shownRamp = std::clamp(static_cast<int>(shownClock_.fullRamp), fullRamp_->minimum(),
                                   fullRamp_->maximum());
  clock.fullRamp = fullRamp_->value() == shownRamp ? shownClock_.fullRamp
                                                   : static_cast<uint32_t>(fullRamp_->value());
  for (size_t n = 0; n < k7::kRampDelayCount; ++n) {
    clock.rampDelays[n] = ValueOf(*rampDelays_[n], shownClock_.rampDelays[n]);
  }
  clock.apicDisconnect = apicDisconnect_->isChecked();
  return clock;
}

K7RestartValues AdvancedK7Page::EditedRestartValues() const {
  return {stopGrantTimeout_->value(), fidDelay_->value(), vidDelay_->value(),
          desktopVids_->isChecked()};
}

void AdvancedK7Page::FollowEdits() {
  if (showing_) return;
  apply_->setEnabled(!(EditedClock() == shownClock_) ||
                     !(EditedRestartValues() == storedRestart_) ||
                     remember_->isChecked() != storedRemember_);
}

void AdvancedK7Page::Apply() {
  const k7::ClockControl clock = EditedClock();
  const K7RestartValues restart = EditedRestartValues();
  const bool remember = remember_->isChecked();
  const bool restartValueChanged = k7_.Apply(clock, restart, remember);
  shownClock_ = clock;
  storedRestart_ = restart;
  storedRemember_ = remember;
  apply_->setEnabled(false);
  if (restartValueChanged && Host().AskYesNo(kStrRestartRequired, kStrConfirmCaption)) {
    Model().RequestRestart();
  }
}

void AdvancedK7Page::StoreState() {
  k7_.KeepForNextStart();
}

bool HasAdvancedK7Page(const DesktopModel& model) {
  return !model.Processors().empty() &&
         AdvancedPageFor(model.Processors().front()) == AdvancedPage::kAmdK7 &&
         K7Of(model) != nullptr;
}

std::unique_ptr<Page> MakeAdvancedK7Page(PageContext context) {
  // Registered with HasAdvancedK7Page: the settings are the K7's.
  return std::make_unique<AdvancedK7Page>(context, *K7Of(context.model));
}

}  // namespace pacetta::ui
