#include "ui/pages/pro_features/actions_tab.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/desktop/pro_feature_texts.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_text.h"
#include "ui/pages/pro_features/editor_choices.h"
#include "ui/pages/pro_features/record_list.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

QString Shown(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

ActionsTab::ActionsTab(PageContext context, ProFeatures& lists, ProgramChooser chooseProgram)
    : ListTab(context, lists, std::move(chooseProgram)) {
  setObjectName("ActionsTab");
  const StringTable& strings = model_.Strings();
  QStringList titles;
  for (uint32_t id :
       {kStrColumnActionId, kStrColumnActionName, kStrColumnActionType, kStrColumnEventName}) {
    titles << PageText(strings, id);
  }
  list_ = MakeOwned<RecordList>(titles, std::vector<int>{17, 26, 28});
  list_->setObjectName("Actions");
  new_ = PageButton(strings, kStrNewAction, "NewAction");
  modify_ = PageButton(strings, kStrModifyAction, "ModifyAction");
  up_ = PageButton(strings, kStrMoveActionUp, "MoveActionUp");
  down_ = PageButton(strings, kStrMoveActionDown, "MoveActionDown");
  delete_ = PageButton(strings, kStrDeleteAction, "DeleteAction");

  auto* buttons = MakeOwned<QHBoxLayout>();
  for (QPushButton* button : {new_, modify_, up_, down_, delete_}) buttons->addWidget(button);
  buttons->addStretch(1);
  auto* column = MakeOwned<QVBoxLayout>(this);
  column->addWidget(list_, 1);
  column->addLayout(buttons);

  list_->SetOnToggled([this](int row, bool enabled) {
    lists_.SetActionEnabled(row, enabled);
    Fill();
  });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { FollowSelection(); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { Modify(); });
  connect(new_, &QPushButton::clicked, this, [this] { New(); });
  connect(modify_, &QPushButton::clicked, this, [this] { Modify(); });
  connect(up_, &QPushButton::clicked, this, [this] { Move(true); });
  connect(down_, &QPushButton::clicked, this, [this] { Move(false); });
  connect(delete_, &QPushButton::clicked, this, [this] { Delete(); });
  Fill();
}

QStringList ActionsTab::RowTexts(int32_t index) const {
  const StringTable& strings = model_.Strings();
  const addins::ActionRecord& action = lists_.Action(index);
  return {QString::number(index), Shown(std::string(addins::FieldText(action.name))),
          Shown(ActionTypeText(strings, action.type)),
          Shown(ActionEventText(strings, action, lists_))};
}

void ActionsTab::Fill() {
  for (int32_t i = 0; i < lists_.ActionCount(); ++i) {
    list_->SetRow(i, lists_.Action(i).enabled != 0, RowTexts(i));
  }
  list_->Truncate(lists_.ActionCount());
  FollowSelection();
}

void ActionsTab::FollowSelection() {
  const bool selected = list_->SelectedRow() >= 0;
  for (QPushButton* button : {modify_, up_, down_, delete_}) button->setEnabled(selected);
}

void ActionsTab::New() {
  if (lists_.ActionCount() >= addins::kMaxActions) {
    host_.Tell(kStrMaxActionsReached, kStrErrorCaption, false);
    return;
  }
  ActionEditor editor(model_.Strings(), ActionChoicesOf(model_, lists_), chooseProgram_, this);
  editor.StartNew(lists_.ActionCount());
  if (!Run(editor)) return;
  const std::optional<int32_t> added = lists_.AddAction(editor.Record());
  if (!added) {
    host_.Tell(kStrMaxActionsReached, kStrErrorCaption, false);
    return;
  }
  Fill();
  list_->SelectRow(*added);
  Changed();
}

void ActionsTab::Modify() {
  const int row = list_->SelectedRow();
  if (row < 0) return;
  ActionEditor editor(model_.Strings(), ActionChoicesOf(model_, lists_), chooseProgram_, this);
  editor.Load(lists_.Action(row));
  if (!Run(editor) || row >= lists_.ActionCount()) return;
  lists_.ModifyAction(row, editor.Record());
  Fill();
  Changed();
}

void ActionsTab::Move(bool up) {
  const int row = list_->SelectedRow();
  if (row < 0 || !lists_.MoveAction(row, up)) return;
  Fill();
  // The moved action stays selected.
  list_->SelectRow(up ? row - 1 : row + 1);
  Changed();
}

void ActionsTab::Delete() {
  const int row = list_->SelectedRow();
  if (row < 0) return;
  lists_.DeleteAction(row);
  list_->clearSelection();
  Fill();
  Changed();
}

}  // namespace pacetta::ui
