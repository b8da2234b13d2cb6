#include "ui/pages/advanced_k8/advanced_k8_page.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/strings/string_ids.h"
#include "ui/pages/advanced_k8/cpu_setup_tab.h"
#include "ui/pages/advanced_k8/misc_control_tab.h"
#include "ui/pages/advanced_k8/transitions_tab.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_catalogue.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

K8Advanced* K8Of(const DesktopModel& model) {
  return dynamic_cast<K8Advanced*>(model.Advanced());
}

}  // namespace

AdvancedK8Page::AdvancedK8Page(PageContext context, K8Advanced& k8) : Page(context), k8_(k8) {
  setObjectName("AdvancedK8Page");
  const StringTable& strings = Model().Strings();
  const K8PageFacts facts = k8_.Facts();
  auto edited = [this] { FollowEdits(); };
  cpuSetup_ = MakeOwned<CpuSetupTab>(
      strings, facts, [this] { return Host().AskYesNo(kStrAltVidWarning, kStrWarningCaption); },
      edited);
  transitions_ = MakeOwned<TransitionsTab>(strings, facts, edited);
  miscControl_ = MakeOwned<MiscControlTab>(strings, facts, edited);
  tabs_ = MakeOwned<QTabWidget>();
  tabs_->setObjectName("AdvancedTabs");
  tabs_->addTab(cpuSetup_, PageText(strings, kStrK8CpuSetupTab));
  tabs_->addTab(transitions_, PageText(strings, kStrK8TransitionsTab));
  tabs_->addTab(miscControl_, PageText(strings, kStrK8MiscControlTab));

  refresh_ = PageButton(strings, kStrButtonRefresh, "Refresh");
  apply_ = PageButton(strings, kStrButtonApply, "Apply");
  connect(refresh_, &QPushButton::clicked, this, [this] { Refresh(); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
  auto* buttons = MakeOwned<QHBoxLayout>();
  buttons->addWidget(refresh_);
  buttons->addStretch(1);
  buttons->addWidget(apply_);

  auto* title = MakeOwned<QLabel>(PageText(strings, kStrK8PageTitle));
  title->setObjectName("Title");
  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(title);
  page->addWidget(tabs_, 1);
  page->addLayout(buttons);

  storedRestart_ = k8_.StoredRestartValues();
  storedRemember_ = k8_.RememberAdvanced();
  transitions_->Show(storedRestart_);
  miscControl_->Show(storedRestart_);
  cpuSetup_->ShowRememberAdvanced(storedRemember_);
  Refresh();
}

void AdvancedK8Page::Refresh() {
  shownSetup_ = k8_.ReadHardware();
  cpuSetup_->Show(shownSetup_);
  FollowEdits();
}

k8::CpuSetup AdvancedK8Page::EditedSetup() {
  return cpuSetup_->Setup();
}

k8::RestartValues AdvancedK8Page::EditedRestartValues() const {
  k8::RestartValues values = storedRestart_;
  transitions_->Collect(values);
  miscControl_->Collect(values);
  return values;
}

void AdvancedK8Page::FollowEdits() {
  // Called while the tabs are still being built: the buttons come last.
  if (apply_ == nullptr) return;
  apply_->setEnabled(!(EditedSetup() == shownSetup_) ||
                     !(EditedRestartValues() == storedRestart_) ||
                     cpuSetup_->RememberAdvanced() != storedRemember_);
}

void AdvancedK8Page::Apply() {
  const k8::CpuSetup setup = EditedSetup();
  const k8::RestartValues restart = EditedRestartValues();
  const bool remember = cpuSetup_->RememberAdvanced();
  const bool restartValueChanged = k8_.Apply(setup, restart, remember);
  shownSetup_ = setup;
  storedRestart_ = restart;
  storedRemember_ = remember;
  apply_->setEnabled(false);
  if (restartValueChanged && Host().AskYesNo(kStrRestartRequired, kStrConfirmCaption)) {
    Model().RequestRestart();
  }
}

bool HasAdvancedK8Page(const DesktopModel& model) {
  return !model.Processors().empty() &&
         AdvancedPageFor(model.Processors().front()) == AdvancedPage::kAmdK8 &&
         K8Of(model) != nullptr;
}

std::unique_ptr<Page> MakeAdvancedK8Page(PageContext context) {
  // Registered with HasAdvancedK8Page: the settings are the K8's.
  return std::make_unique<AdvancedK8Page>(context, *K8Of(context.model));
}

}  // namespace pacetta::ui
