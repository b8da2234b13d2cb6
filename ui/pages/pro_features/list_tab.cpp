#include "ui/pages/pro_features/list_tab.h"

#include <QDialog>

namespace pacetta::ui {

ListTab::ListTab(PageContext context, ProFeatures& lists, ProgramChooser chooseProgram)
    : model_(context.model),
      host_(context.host),
      lists_(lists),
      chooseProgram_(std::move(chooseProgram)) {}

void ListTab::End() {
  ended_ = true;
  if (open_) open_->reject();
}

bool ListTab::Run(QDialog& editor) {
  if (ended_) return false;
  open_ = &editor;
  const bool accepted = editor.exec() == QDialog::Accepted;
  open_ = nullptr;
  // The editor's loop may have run the program's end meanwhile.
  return accepted && !ended_;
}

}  // namespace pacetta::ui
