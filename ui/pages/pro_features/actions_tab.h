#pragma once
#include <QStringList>
#include <cstdint>

#include "ui/pages/pro_features/list_tab.h"

class QPushButton;

namespace pacetta::ui {

class RecordList;

// The actions list in priority order: ID, name, type and the watched event of each
// action, with "New...", "Modify", "Move up", "Move down" and "Delete". Every change goes
// to the events module at once.
class ActionsTab final : public ListTab {
 public:
  ActionsTab(PageContext context, ProFeatures& lists, ProgramChooser chooseProgram);

  void Fill() override;

  RecordList& List() { return *list_; }

 private:
  QStringList RowTexts(int32_t index) const;
  void New();
  void Modify();
  void Move(bool up);
  void Delete();
  void FollowSelection();

  RecordList* list_ = nullptr;
  QPushButton* new_ = nullptr;
  QPushButton* modify_ = nullptr;
  QPushButton* up_ = nullptr;
  QPushButton* down_ = nullptr;
  QPushButton* delete_ = nullptr;
};

}  // namespace pacetta::ui
