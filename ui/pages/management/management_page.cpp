#include "ui/pages/management/management_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/strings/string_ids.h"
#include "engine/management/management_types.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

QComboBox* Choices(const StringTable& strings, uint32_t first, uint32_t count, const char* name) {
  auto* box = MakeOwned<QComboBox>();
  box->setObjectName(name);
  for (uint32_t i = 0; i < count; ++i) box->addItem(PageText(strings, first + i));
  return box;
}

QCheckBox* Check(const StringTable& strings, uint32_t id, const char* name) {
  auto* box = MakeOwned<QCheckBox>(PageText(strings, id));
  box->setObjectName(name);
  return box;
}

// A combo box's label, which also gives the box the keyboard focus.
QLabel* LabelFor(const StringTable& strings, uint32_t id, QWidget* buddy) {
  auto* label = MakeOwned<QLabel>(PageText(strings, id));
  label->setBuddy(buddy);
  return label;
}

void FillSteps(QComboBox& box, const std::vector<StepChoice>& steps, bool volts) {
  box.clear();
  for (const StepChoice& step : steps) {
    box.addItem(
        QString::fromStdString(volts ? VoltageText(step.value) : MultiplierText(step.value)));
  }
}

// The list entry of `code`, else that of `fallback`, else the first.
int EntryOf(const std::vector<StepChoice>& steps, int32_t code, int32_t fallback) {
  int32_t index = StepIndexOf(steps, code);
  if (index < 0) index = StepIndexOf(steps, fallback);
  return steps.empty() ? -1 : std::max(index, 0);
}

int32_t CodeAt(const std::vector<StepChoice>& steps, int entry, int32_t otherwise) {
  return entry >= 0 && static_cast<size_t>(entry) < steps.size()
             ? steps[static_cast<size_t>(entry)].code
             : otherwise;
}

}  // namespace

ManagementPage::ManagementPage(PageContext context) : Page(context) {
  setObjectName("ManagementPage");
  const StringTable& strings = Model().Strings();
  transitions_ = Choices(strings, kStrSingleStepTransitions, 2, "TransitionsMethod");
  loadMethod_ = Choices(strings, kStrCpuLoadMethodFirst, kCpuLoadMethodCount, "CpuLoadMethod");
  suspendAction_ = Choices(strings, kStrSuspendKeepProfile, 3, "SuspendAction");
  osLoad_ = Check(strings, kStrOsLoadSelect, "CpuOsLoadSelect");
  defaultsOnDisable_ = Check(strings, kStrDefaultsOnDisable, "DefaultsOnDisable");
  defaultsOnExit_ = Check(strings, kStrDefaultsOnExit, "DefaultsOnExit");
  defaultsMode_ = Choices(strings, kStrDefaultsCpuDefined, 3, "DefaultsMode");
  defaultFid_ = Choices(strings, 0, 0, "DefaultFid");
  defaultVid_ = Choices(strings, 0, 0, "DefaultVid");
  runHlt_ = Check(strings, kStrRunHltOnIdle, "RunHltOnIdle");
  manageOs_ = Check(strings, kStrManageOsPowerSettings, "ManageOsPowerSettings");
  overheat_ = Check(strings, kStrOverheatAlert, "OverheatAlert");
  defaults_ = PageButton(strings, kStrButtonDefaults, "Defaults");
  apply_ = PageButton(strings, kStrButtonApply, "Apply");

  auto* management = MakeOwned<QGroupBox>(PageText(strings, kStrManagementGroup));
  auto* first = MakeOwned<QVBoxLayout>(management);
  first->addWidget(LabelFor(strings, kStrTransitionsMethodLabel, transitions_));
  first->addWidget(transitions_);
  first->addWidget(LabelFor(strings, kStrCpuLoadMethodLabel, loadMethod_));
  first->addWidget(loadMethod_);
  first->addWidget(LabelFor(strings, kStrSuspendActionLabel, suspendAction_));
  first->addWidget(suspendAction_);
  first->addWidget(osLoad_);

  auto* cpuDefaults = MakeOwned<QGroupBox>(PageText(strings, kStrCpuDefaultsGroup));
  auto* second = MakeOwned<QGridLayout>(cpuDefaults);
  second->addWidget(defaultsOnDisable_, 0, 0, 1, 3);
  second->addWidget(defaultsOnExit_, 1, 0, 1, 3);
  second->addWidget(LabelFor(strings, kStrDefaultsModeLabel, defaultsMode_), 2, 0, 1, 3);
  second->addWidget(defaultsMode_, 3, 0);
  second->addWidget(defaultFid_, 3, 1);
  second->addWidget(defaultVid_, 3, 2);
  second->setColumnStretch(0, 1);

  auto* buttons = PageButtonRow({}, defaults_, apply_);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(management);
  page->addWidget(cpuDefaults);
  page->addWidget(runHlt_);
  page->addWidget(manageOs_);
  page->addWidget(overheat_);
  page->addStretch(1);
  page->addLayout(buttons);

  for (QComboBox* box :
       {transitions_, loadMethod_, suspendAction_, defaultsMode_, defaultFid_, defaultVid_}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this] { FollowEdits(); });
  }
  for (QCheckBox* box :
       {osLoad_, defaultsOnDisable_, defaultsOnExit_, runHlt_, manageOs_, overheat_}) {
    connect(box, &QCheckBox::toggled, this, [this] { FollowEdits(); });
  }
  connect(defaults_, &QPushButton::clicked, this, [this] { Show(Model().DefaultManagement()); });
  connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });

  const CpuInfo& cpu0 = Model().Processors().front();
  fids_ = FidSteps(cpu0);
  vids_ = VidSteps(cpu0);
  FillSteps(*defaultFid_, fids_, false);
  FillSteps(*defaultVid_, vids_, true);
  Reload();
}

void ManagementPage::Reload() {
  Show(Model().Settings().management);
}

void ManagementPage::Show(const ManagementSettings& values) {
  const CpuInfo& cpu0 = Model().Processors().front();
  showing_ = true;
  transitions_->setCurrentIndex(values.transitionsMethod != 0 ? 1 : 0);
  loadMethod_->setCurrentIndex(values.cpuLoadMethod);
  suspendAction_->setCurrentIndex(values.suspendAction);
  osLoad_->setChecked(values.cpuOsLoadSelect != 0);
  defaultsOnDisable_->setChecked(values.defaultsOnDisable != 0);
  defaultsOnExit_->setChecked(values.defaultsOnExit != 0);
  defaultsMode_->setCurrentIndex(values.defaultsMode);
  defaultFid_->setCurrentIndex(EntryOf(fids_, values.defaultFid, cpu0.startFid));
  defaultVid_->setCurrentIndex(EntryOf(vids_, values.defaultVid, cpu0.startVid));
  runHlt_->setChecked(values.runHltOnIdle != 0 && Model().IdleHelperAvailable());
  manageOs_->setChecked(values.manageOsPowerSettings != 0);
  // Only a thermal monitor reports overheating: elsewhere the alert is off whatever the
  // defaults say.
  overheat_->setChecked(values.overheatAlert != 0 && (cpu0.isIntelPState || cpu0.isViaC7));
  showing_ = false;
  FollowEdits();
}

ManagementSettings ManagementPage::Edited() {
  // The page's own values over the rest as they stand.
  ManagementSettings values = Model().Settings().management;
  values.transitionsMethod = transitions_->currentIndex();
  values.cpuLoadMethod = loadMethod_->currentIndex();
  values.suspendAction = suspendAction_->currentIndex();
  values.cpuOsLoadSelect = osLoad_->isChecked() ? 1 : 0;
  values.defaultsOnDisable = defaultsOnDisable_->isChecked() ? 1 : 0;
  values.defaultsOnExit = defaultsOnExit_->isChecked() ? 1 : 0;
  values.defaultsMode = defaultsMode_->currentIndex();
  values.defaultFid = CodeAt(fids_, defaultFid_->currentIndex(), values.defaultFid);
  values.defaultVid = CodeAt(vids_, defaultVid_->currentIndex(), values.defaultVid);
  values.runHltOnIdle = runHlt_->isChecked() ? 1 : 0;
  values.manageOsPowerSettings = manageOs_->isChecked() ? 1 : 0;
  values.overheatAlert = overheat_->isChecked() ? 1 : 0;
  return values;
}

void ManagementPage::FollowEdits() {
  if (showing_) return;
  const ControlAbilities abilities = Model().Abilities();
  const CpuInfo& cpu0 = Model().Processors().front();
  const bool control = abilities.Any();
  const bool states = control && abilities.performanceStates;
  const bool custom = defaultsMode_->currentIndex() == management::kDefaultsCustom;
  transitions_->setEnabled(control);
  loadMethod_->setEnabled(control && Model().Processors().size() >= 2);
  suspendAction_->setEnabled(control);
  osLoad_->setEnabled(control);
  defaultsOnDisable_->setEnabled(control);
  defaultsOnExit_->setEnabled(control);
  defaultsMode_->setEnabled(states);
  defaultFid_->setEnabled(states && custom && !fids_.empty());
  defaultVid_->setEnabled(states && custom && !vids_.empty());
  runHlt_->setEnabled(Model().IdleHelperAvailable());
  overheat_->setEnabled(cpu0.isIntelPState || cpu0.isViaC7);
  defaults_->setEnabled(control);
  apply_->setEnabled(Pending());
}

bool ManagementPage::Pending() {
  return !(Edited() == Model().Settings().management);
}

void ManagementPage::Apply() {
  const ManagementSettings before = Model().Settings().management;
  Model().ApplyManagement(Edited());
  const ManagementSettings& after = Model().Settings().management;
  const bool restart = after.runHltOnIdle != before.runHltOnIdle ||
                       after.manageOsPowerSettings != before.manageOsPowerSettings;
  Reload();
  if (restart && Host().AskYesNo(kStrRestartRequired, kStrConfirmCaption)) Model().RequestRestart();
}

void ManagementPage::ApplyWithoutAsking() {
  if (Pending()) Apply();
}

}  // namespace pacetta::ui
