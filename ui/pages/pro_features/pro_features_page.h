#pragma once
#include "ui/pages/pro_features/program_chooser.h"
#include "ui/window/page.h"

class QTabWidget;

namespace pacetta::ui {

class ActionsTab;
class EventsTab;

// "Professional features": the events module's version and two tabs, the events and the
// actions list. Changes take effect at once; there is nothing to apply. After every
// evaluation of the events the Status column follows.
class ProFeaturesPage final : public Page {
 public:
  explicit ProFeaturesPage(PageContext context, ProgramChooser chooseProgram = AskForProgram);

  // Both lists afresh (profile names may have changed meanwhile).
  void Reload() override;
  void RefreshShownValues() override;
  void StoreState() override;

  EventsTab& Events() { return *events_; }
  ActionsTab& Actions() { return *actions_; }

 private:
  QTabWidget* tabs_ = nullptr;
  EventsTab* events_ = nullptr;
  ActionsTab* actions_ = nullptr;
};

// The page exists while the events module is loaded.
bool HasProFeaturesPage(const DesktopModel& model);

}  // namespace pacetta::ui
