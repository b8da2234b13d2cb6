#pragma once
#include <QPointer>
#include <QWidget>
#include <functional>

#include "app/addins/pro_features.h"
#include "ui/pages/pro_features/program_chooser.h"
#include "ui/window/page.h"

class QDialog;

namespace pacetta::ui {

// What the events and the actions tab share: the lists they edit, the editors they open
// and the orderly end that may come while an editor is open.
class ListTab : public QWidget {
 public:
  ListTab(PageContext context, ProFeatures& lists, ProgramChooser chooseProgram);

  // Every row from the lists; a selected row stays selected while it exists.
  virtual void Fill() = 0;
  // The program ends: an open editor closes and changes nothing.
  void End();
  // This tab changed its list (the other tab shows what depends on it).
  void SetOnChanged(std::function<void()> changed) { changed_ = std::move(changed); }

 protected:
  // True when the editor was confirmed and the program still runs.
  bool Run(QDialog& editor);
  void Changed() {
    if (changed_) changed_();
  }

  DesktopModel& model_;
  PageHost& host_;
  ProFeatures& lists_;
  ProgramChooser chooseProgram_;

 private:
  std::function<void()> changed_;
  QPointer<QDialog> open_;
  bool ended_ = false;
};

}  // namespace pacetta::ui
