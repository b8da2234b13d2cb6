#pragma once
#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "addins/event_records.h"
#include "app/strings/string_table.h"
#include "ui/pages/pro_features/program_chooser.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;

namespace pacetta::ui {

// What the action editor's lists offer.
struct ActionChoices {
  std::vector<std::string> events;    // the events' names, by index
  std::vector<std::string> profiles;  // by profile index
};

// "Add/modify action": the action's name, the event it watches, in which state and for
// how long, and what it does, with only the fields of that kind of action shown. Opens
// with a new action's defaults (no event, "active", 0 seconds, "Change profile" to no
// profile, restoring the original one).
class ActionEditor final : public QDialog {
 public:
  ActionEditor(const StringTable& strings, ActionChoices choices, ProgramChooser chooseProgram,
               QWidget* parent);

  // A new action numbered `number`: its default name.
  void StartNew(int32_t number);
  void Load(const addins::ActionRecord& action);
  // The action as edited: enabled, the fields of the chosen type, the rest as a blank
  // action of that type holds them.
  addins::ActionRecord Record() const;

 private:
  void Arrange();
  void BrowseProgram();
  int32_t Type() const;

  const StringTable& strings_;
  ProgramChooser chooseProgram_;
  QFormLayout* form_ = nullptr;
  QLineEdit* name_ = nullptr;
  QComboBox* event_ = nullptr;
  QComboBox* state_ = nullptr;
  QSpinBox* delay_ = nullptr;
  QComboBox* type_ = nullptr;
  QComboBox* profile_ = nullptr;
  QCheckBox* restore_ = nullptr;
  QWidget* command_ = nullptr;  // the command line's label, field and "..."
  QLineEdit* commandLine_ = nullptr;
};

}  // namespace pacetta::ui
