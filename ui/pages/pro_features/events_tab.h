#pragma once
#include <QStringList>
#include <cstdint>

#include "app/desktop/pro_feature_texts.h"
#include "ui/pages/pro_features/list_tab.h"

class QPushButton;

namespace pacetta::ui {

class RecordList;

// The events list: ID, name, type with its parameter, power sources and status of each
// event, with "New...", "Modify" and "Delete". Every change goes to the events module at
// once.
class EventsTab final : public ListTab {
 public:
  EventsTab(PageContext context, ProFeatures& lists, ProgramChooser chooseProgram);

  void Fill() override;
  // The Status column as of the latest evaluation.
  void RefreshStatus();

  RecordList& List() { return *list_; }

 private:
  enum Column { kId, kName, kType, kSources, kStatus };

  QStringList RowTexts(int32_t index, const EventParameterNames& names) const;
  QString StatusText(int32_t index) const;
  void New();
  void Modify();
  void Delete();
  void FollowSelection();

  RecordList* list_ = nullptr;
  QPushButton* new_ = nullptr;
  QPushButton* modify_ = nullptr;
  QPushButton* delete_ = nullptr;
};

}  // namespace pacetta::ui
