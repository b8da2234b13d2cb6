#include "ui/pages/pro_features/events_tab.h"

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

EventsTab::EventsTab(PageContext context, ProFeatures& lists, ProgramChooser chooseProgram)
    : ListTab(context, lists, std::move(chooseProgram)) {
  setObjectName("EventsTab");
  const StringTable& strings = model_.Strings();
  QStringList titles;
  for (uint32_t id : {kStrColumnEventId, kStrColumnEventName, kStrColumnEventType,
                      kStrColumnPowerSource, kStrColumnStatus}) {
    titles << PageText(strings, id);
  }
  list_ = MakeOwned<RecordList>(titles, std::vector<int>{17, 18, 27, 14});
  list_->setObjectName("Events");
  new_ = PageButton(strings, kStrNewEvent, "NewEvent");
  modify_ = PageButton(strings, kStrModifyEvent, "ModifyEvent");
  delete_ = PageButton(strings, kStrDeleteEvent, "DeleteEvent");

  auto* buttons = MakeOwned<QHBoxLayout>();
  for (QPushButton* button : {new_, modify_, delete_}) buttons->addWidget(button);
  buttons->addStretch(1);
  auto* column = MakeOwned<QVBoxLayout>(this);
  column->addWidget(list_, 1);
  column->addLayout(buttons);

  list_->SetOnToggled([this](int row, bool enabled) {
    lists_.SetEventEnabled(row, enabled);
    Fill();  // the event's state was reset
  });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { FollowSelection(); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { Modify(); });
  connect(new_, &QPushButton::clicked, this, [this] { New(); });
  connect(modify_, &QPushButton::clicked, this, [this] { Modify(); });
  connect(delete_, &QPushButton::clicked, this, [this] { Delete(); });
  Fill();
}

QString EventsTab::StatusText(int32_t index) const {
  const bool unavailable =
      !EventTypeAvailable(lists_.Event(index).type, model_.IdleTimeAvailable());
  return Shown(EventStatusText(model_.Strings(), lists_.Status(index), unavailable));
}

QStringList EventsTab::RowTexts(int32_t index, const EventParameterNames& names) const {
  const StringTable& strings = model_.Strings();
  const addins::EventRecord& event = lists_.Event(index);
  return {QString::number(index), Shown(std::string(addins::FieldText(event.name))),
          Shown(EventTypeText(strings, event, names)),
          Shown(EventSourcesText(strings, event.sources)), StatusText(index)};
}

void EventsTab::Fill() {
  const EventChoices choices = EventChoicesOf(model_);
  for (int32_t i = 0; i < lists_.EventCount(); ++i) {
    list_->SetRow(i, lists_.Event(i).enabled != 0,
                  RowTexts(i, {choices.profiles, choices.schemes}));
  }
  list_->Truncate(lists_.EventCount());
  FollowSelection();
}

void EventsTab::RefreshStatus() {
  for (int32_t i = 0; i < lists_.EventCount() && i < list_->topLevelItemCount(); ++i) {
    list_->SetText(i, kStatus, StatusText(i));
  }
}

void EventsTab::FollowSelection() {
  const bool selected = list_->SelectedRow() >= 0;
  modify_->setEnabled(selected);
  delete_->setEnabled(selected);
}

void EventsTab::New() {
  if (lists_.EventCount() >= addins::kMaxEvents) {
    host_.Tell(kStrMaxEventsReached, kStrErrorCaption, false);
    return;
  }
  EventEditor editor(model_.Strings(), EventChoicesOf(model_), chooseProgram_, this);
  editor.StartNew(lists_.EventCount());
  if (!Run(editor)) return;
  const std::optional<int32_t> added = lists_.AddEvent(editor.Record());
  if (!added) {
    host_.Tell(kStrMaxEventsReached, kStrErrorCaption, false);
    return;
  }
  Fill();
  list_->SelectRow(*added);
  Changed();
}

void EventsTab::Modify() {
  const int row = list_->SelectedRow();
  if (row < 0) return;
  EventEditor editor(model_.Strings(), EventChoicesOf(model_), chooseProgram_, this);
  editor.Load(lists_.Event(row));
  if (!Run(editor) || row >= lists_.EventCount()) return;
  lists_.ModifyEvent(row, editor.Record());
  Fill();
  Changed();
}

void EventsTab::Delete() {
  const int row = list_->SelectedRow();
  if (row < 0) return;
  lists_.DeleteEvent(row);
  list_->clearSelection();
  Fill();
  Changed();
}

}  // namespace pacetta::ui
