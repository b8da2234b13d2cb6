#include "ui/pages/advanced_intel/advanced_intel_page.h"

#include <QCheckBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/strings/string_ids.h"
#include "ui/pages/advanced_intel/chipset_tab.h"
#include "ui/pages/advanced_intel/intel_processor_tab.h"
#include "ui/pages/advanced_intel/throttling_tab.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_catalogue.h"
#include "ui/pages/page_controls.h"

namespace pacetta::ui {

AdvancedIntelPage::AdvancedIntelPage(PageContext context, IntelAdvanced& intel)
    : Page(context), intel_(intel) {
  setObjectName("AdvancedIntelPage");
  const StringTable& strings = Model().Strings();
  const IntelPageFacts facts = intel_.Facts();
  auto edited = [this] { FollowEdits(); };
  processor_ = MakeOwned<IntelProcessorTab>(strings, facts, edited);
  if (facts.kind == IntelPageKind::kCentrino) {
    tabs_ = MakeOwned<QTabWidget>();
    tabs_->setObjectName("AdvancedTabs");
    // The processor tab holds the most rows: with a larger font it scrolls rather than
    // squeezing them.
    auto* scroll = MakeOwned<QScrollArea>();
    scroll->setObjectName("ProcessorScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(processor_);
    tabs_->addTab(scroll, PageText(strings, kStrIntelProcessorTab));
    chipset_ = intel_.Chipset();
    if (chipset_ != nullptr) {
      chipsetTab_ = MakeOwned<ChipsetTab>(strings, *chipset_, edited);
      throttlingTab_ = MakeOwned<ThrottlingTab>(strings, *chipset_, edited);
      tabs_->addTab(chipsetTab_, PageText(strings, kStrIntelChipsetTab));
      tabs_->addTab(throttlingTab_, PageText(strings, kStrIntelThrottlingTab));
    }
  }
  remember_ = page_controls::Check(strings, kStrIntelRememberAdvanced, "RememberAdvanced");
  connect(remember_, &QCheckBox::toggled, this, edited);
  refresh_ = PageButton(strings, kStrButtonRefresh, "Refresh");
  apply_ = PageButton(strings, kStrButtonApply, "Apply");
  connect(refresh_, &QPushButton::clicked, this, [this] { Refresh(); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  auto* buttons = MakeOwned<QHBoxLayout>();
  buttons->addWidget(refresh_);
  buttons->addStretch(1);
  buttons->addWidget(apply_);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  if (tabs_ != nullptr) {
    page->addWidget(tabs_, 1);
  } else {
    processor_->layout()->setContentsMargins(0, 0, 0, 0);
    page->addWidget(processor_, 1);
  }
  page->addWidget(remember_);
  page->addLayout(buttons);

  // The lock has no register: the page takes it from what the settings hold.
  if (chipset_ != nullptr) {
    shownChipset_.throttleLock =
        chipset_->FromStored(Model().Settings().family.centrino).throttleLock;
  }
  Reload();
}

void AdvancedIntelPage::Reload() {
  storedRestart_ = intel_.StoredRestartValues();
  storedRemember_ = intel_.RememberAdvanced();
  showing_ = true;
  processor_->ShowRestart(storedRestart_);
  remember_->setChecked(storedRemember_);
  if (throttlingTab_ != nullptr) throttlingTab_->ShowLock(shownChipset_.throttleLock);
  showing_ = false;
  Refresh();
}

void AdvancedIntelPage::Refresh() {
  // Registers that cannot be read show what the page showed before.
  shownValues_ = intel_.ReadHardware().value_or(shownValues_);
  processor_->Show(shownValues_);
  if (chipset_ != nullptr) {
    const ChipsetValues before = shownChipset_;
    shownChipset_ = chipset_->Read();
    shownChipset_.throttleLock = before.throttleLock;
    chipsetTab_->Show(shownChipset_);
    if (throttlingShown_ && throttlingTab_->Locked()) {
      // The page's throttling values stay as they are, edits included.
      shownChipset_.forceThermalThrottling = before.forceThermalThrottling;
      shownChipset_.thermalDuty = before.thermalDuty;
      shownChipset_.normalThrottling = before.normalThrottling;
      shownChipset_.normalDuty = before.normalDuty;
    } else {
      throttlingTab_->ShowThrottling(shownChipset_);
      throttlingShown_ = true;
    }
    throttlingTab_->ShowStatus(chipset_->ThrottlingActive());
  }
  FollowEdits();
}

IntelProcessorValues AdvancedIntelPage::EditedValues() const {
  return processor_->Values();
}

IntelRestartValues AdvancedIntelPage::EditedRestartValues() const {
  return processor_->Restart();
}

ChipsetValues AdvancedIntelPage::EditedChipset() const {
  ChipsetValues values = shownChipset_;
  if (chipsetTab_ != nullptr) chipsetTab_->Collect(values);
  if (throttlingTab_ != nullptr) throttlingTab_->Collect(values);
  return values;
}

void AdvancedIntelPage::FollowEdits() {
  // Called while the page is still being built: the buttons come last.
  if (apply_ == nullptr || showing_) return;
  apply_->setEnabled(
      !(EditedValues() == shownValues_) || !(EditedRestartValues() == storedRestart_) ||
      !(EditedChipset() == shownChipset_) || remember_->isChecked() != storedRemember_);
}

void AdvancedIntelPage::Apply() {
  const IntelProcessorValues values = EditedValues();
  const IntelRestartValues restart = EditedRestartValues();
  const ChipsetValues chipset = EditedChipset();
  const bool remember = remember_->isChecked();
  const bool restartValueChanged = intel_.Apply(values, chipset, restart, remember);
  shownValues_ = values;
  shownChipset_ = chipset;
  storedRestart_ = restart;
  storedRemember_ = remember;
  if (chipset_ != nullptr) throttlingTab_->ShowStatus(chipset_->ThrottlingActive());
  apply_->setEnabled(false);
  if (restartValueChanged && Host().AskYesNo(kStrRestartRequired, kStrConfirmCaption)) {
    Model().RequestRestart();
  }
}

void AdvancedIntelPage::StoreState() {
  intel_.KeepForNextStart();
}

IntelAdvanced* IntelAdvancedOf(const DesktopModel& model) {
  return dynamic_cast<IntelAdvanced*>(model.Advanced());
}

bool HasAdvancedIntelPage(const DesktopModel& model) {
  if (model.Processors().empty() || IntelAdvancedOf(model) == nullptr) return false;
  const AdvancedPage page = AdvancedPageFor(model.Processors().front());
  return page == AdvancedPage::kNetBurst || page == AdvancedPage::kCentrino;
}

std::unique_ptr<Page> MakeAdvancedIntelPage(PageContext context) {
  // Registered with HasAdvancedIntelPage: the settings are the Intel ones.
  return std::make_unique<AdvancedIntelPage>(context, *IntelAdvancedOf(context.model));
}

}  // namespace pacetta::ui
