#include "ui/pages/pro_features/action_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/desktop/pro_feature_edits.h"
#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_controls.h"
#include "ui/pages/page_text.h"
#include "ui/pages/pro_features/editor_frame.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

using addins::ActionType;
namespace pc = page_controls;

constexpr int kLongestDelaySeconds = 600;

void Choose(QComboBox& list, int32_t index) {
  list.setCurrentIndex(index >= 0 && index < list.count() ? index : -1);
}

QComboBox* NameList(const std::vector<std::string>& names, const char* objectName) {
  QComboBox* list = pc::Combo(objectName);
  for (const std::string& name : names) list->addItem(QString::fromStdString(name));
  // Long names must not widen the dialog beyond the screen.
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(16);
  list->setCurrentIndex(-1);
  return list;
}

}  // namespace

ActionEditor::ActionEditor(const StringTable& strings, ActionChoices choices,
                           ProgramChooser chooseProgram, QWidget* parent)
    : QDialog(parent), strings_(strings), chooseProgram_(std::move(chooseProgram)) {
  setObjectName("ActionEditor");
  setWindowTitle(PageText(strings, kStrActionEditorCaption));

  name_ = MakeOwned<QLineEdit>();
  name_->setObjectName("ActionName");
  name_->setMaxLength(static_cast<int>(addins::kRecordNameSize - 1));
  event_ = NameList(choices.events, "Event");
  state_ = pc::Combo("EventState");
  state_->addItem(PageText(strings, kStrEventStateActive));
  state_->addItem(PageText(strings, kStrEventStateInactive));
  delay_ = pc::Spin("DelaySeconds", 0, kLongestDelaySeconds, 1);
  type_ = pc::Combo("ActionType");
  for (int32_t type = 0; type < addins::kActionTypeCount; ++type) {
    type_->addItem(PageText(strings, kStrActionTypeFirst + static_cast<uint32_t>(type)));
  }
  profile_ = NameList(choices.profiles, "Profile");
  restore_ = pc::Check(strings, kStrActionRestoreProfile, "RestoreProfile");
  restore_->setChecked(true);

  // "is [active] for more than [0] sec" reads as one line.
  auto* condition = MakeOwned<QHBoxLayout>();
  condition->addWidget(state_);
  condition->addWidget(pc::LabelFor(strings, kStrActionDelayLabel, delay_));
  condition->addWidget(delay_);
  condition->addWidget(MakeOwned<QLabel>(PageText(strings, kStrActionDelayUnit)));
  condition->addStretch(1);

  commandLine_ = MakeOwned<QLineEdit>();
  commandLine_->setObjectName("CommandLine");
  commandLine_->setMaxLength(static_cast<int>(addins::kParameterSize - 1));
  auto* browse = MakeOwned<QPushButton>(PageText(strings, kStrActionBrowse));
  browse->setObjectName("BrowseCommand");
  browse->setFixedWidth(fontMetrics().averageCharWidth() * 5);
  command_ = MakeOwned<QWidget>();
  auto* commandColumn = MakeOwned<QVBoxLayout>(command_);
  commandColumn->setContentsMargins(0, 0, 0, 0);
  commandColumn->addWidget(pc::LabelFor(strings, kStrActionCommandLabel, commandLine_));
  auto* commandRow = MakeOwned<QHBoxLayout>();
  commandRow->addWidget(commandLine_, 1);
  commandRow->addWidget(browse);
  commandColumn->addLayout(commandRow);

  form_ = MakeOwned<QFormLayout>();
  form_->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
  form_->addRow(pc::LabelFor(strings, kStrActionNameLabel, name_), name_);
  form_->addRow(pc::LabelFor(strings, kStrActionEventLabel, event_), event_);
  form_->addRow(pc::LabelFor(strings, kStrActionStateLabel, state_), condition);
  form_->addRow(pc::LabelFor(strings, kStrActionTypeLabel, type_), type_);
  form_->addRow(pc::LabelFor(strings, kStrActionProfileLabel, profile_), profile_);
  form_->addRow(restore_);
  form_->addRow(command_);

  FrameEditor(*this, form_);
  connect(browse, &QPushButton::clicked, this, [this] { BrowseProgram(); });
  connect(type_, &QComboBox::currentIndexChanged, this, [this] { Arrange(); });
  type_->setCurrentIndex(static_cast<int>(ActionType::kChangeProfile));
  Arrange();
}

int32_t ActionEditor::Type() const {
  return std::max(type_->currentIndex(), 0);
}

void ActionEditor::Arrange() {
  const bool changesProfile = Type() == static_cast<int32_t>(ActionType::kChangeProfile);
  form_->setRowVisible(profile_, changesProfile);
  form_->setRowVisible(restore_, changesProfile);
  form_->setRowVisible(command_, Type() == static_cast<int32_t>(ActionType::kRunApplication));
}

void ActionEditor::BrowseProgram() {
  if (const std::optional<std::string> path = chooseProgram_(*this)) {
    commandLine_->setText(QString::fromStdString(CommandLineOf(*path)));
  }
}

void ActionEditor::StartNew(int32_t number) {
  name_->setText(QString::fromStdString(FormatText(strings_.Get(kStrNewActionName), {number})));
}

void ActionEditor::Load(const addins::ActionRecord& action) {
  name_->setText(QString::fromStdString(std::string(addins::FieldText(action.name))));
  Choose(*event_, action.eventIndex);
  state_->setCurrentIndex(action.onInactive != 0 ? 1 : 0);
  delay_->setValue(
      static_cast<int>(std::min<uint32_t>(action.delayMs / 1000, kLongestDelaySeconds)));
  type_->setCurrentIndex(action.type >= 0 && action.type < addins::kActionTypeCount ? action.type
                                                                                    : 0);
  if (action.type == static_cast<int32_t>(ActionType::kChangeProfile)) {
    Choose(*profile_, addins::ReadParameter<int32_t>(action.parameters, addins::kProfileIndexAt));
    restore_->setChecked(
        addins::ReadParameter<int32_t>(action.parameters, addins::kRestoreProfileAt) != 0);
  }
  if (action.type == static_cast<int32_t>(ActionType::kRunApplication)) {
    commandLine_->setText(
        QString::fromStdString(std::string(addins::FieldText(action.parameters))));
  }
}

addins::ActionRecord ActionEditor::Record() const {
  addins::ActionRecord action = addins::BlankAction(static_cast<ActionType>(Type()));
  action.enabled = 1;
  addins::SetFieldText(action.name,
                       FittedText(name_->text().toStdString(), addins::kRecordNameSize - 1));
  action.eventIndex = event_->currentIndex();
  action.onInactive = state_->currentIndex() == 1 ? 1 : 0;
  action.delayMs = static_cast<uint32_t>(delay_->value()) * 1000;
  if (action.type == static_cast<int32_t>(ActionType::kChangeProfile)) {
    addins::WriteParameter<int32_t>(action.parameters, addins::kProfileIndexAt,
                                    profile_->currentIndex());
    addins::WriteParameter<int32_t>(action.parameters, addins::kRestoreProfileAt,
                                    restore_->isChecked() ? 1 : 0);
  }
  if (action.type == static_cast<int32_t>(ActionType::kRunApplication)) {
    addins::SetFieldText(action.parameters, FittedText(commandLine_->text().toStdString(),
                                                       addins::kParameterSize - 1));
  }
  return action;
}

}  // namespace pacetta::ui
