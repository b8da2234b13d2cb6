#pragma once
#include <vector>

#include "app/desktop/pstate_steps.h"
#include "app/settings/app_settings.h"
#include "ui/window/page.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace pacetta::ui {

// "Management": the global management options. Edits a copy until "Apply", which hands
// them to the running program and, when an option marked "(restart required)" changed,
// offers the restart.
class ManagementPage final : public Page {
 public:
  explicit ManagementPage(PageContext context);

  void Reload() override;
  void ApplyWithoutAsking() override;

  // The settings as the page's controls hold them.
  ManagementSettings Edited();
  bool Pending();

 private:
  void Show(const ManagementSettings& values);
  void FollowEdits();
  void Apply();

  QComboBox* transitions_ = nullptr;
  QComboBox* loadMethod_ = nullptr;
  QComboBox* suspendAction_ = nullptr;
  QCheckBox* osLoad_ = nullptr;
  QCheckBox* defaultsOnDisable_ = nullptr;
  QCheckBox* defaultsOnExit_ = nullptr;
  QComboBox* defaultsMode_ = nullptr;
  QComboBox* defaultFid_ = nullptr;
  QComboBox* defaultVid_ = nullptr;
  QCheckBox* runHlt_ = nullptr;
  QCheckBox* manageOs_ = nullptr;
  QCheckBox* overheat_ = nullptr;
  QPushButton* defaults_ = nullptr;
  QPushButton* apply_ = nullptr;
  std::vector<StepChoice> fids_;
  std::vector<StepChoice> vids_;
  bool showing_ = false;  // controls are being set, not edited
};

}  // namespace pacetta::ui
