#pragma once
#include <QDialog>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "addins/event_records.h"
#include "app/desktop/profile_os.h"
#include "app/strings/string_table.h"
#include "ui/pages/pro_features/program_chooser.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFormLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTimeEdit;

namespace pacetta::ui {

// What the event editor's lists offer.
struct EventChoices {
  std::vector<std::string> profiles;  // by profile index
  std::vector<OsSchemeChoice> schemes;
  // Without it "No user input activity" is listed but cannot be chosen.
  bool idleTimeAvailable = true;
};

// "Add/modify event": the event's name, power sources and type, and only the fields of
// the chosen type, re-arranged as soon as the type changes. Opens with a new event's
// defaults ("Calendar: one time only" starting now).
class EventEditor final : public QDialog {
 public:
  EventEditor(const StringTable& strings, EventChoices choices, ProgramChooser chooseProgram,
              QWidget* parent);

  // A new event numbered `number`: its default name.
  void StartNew(int32_t number);
  // The record to modify: its values, in the fields of its type.
  void Load(const addins::EventRecord& event);
  // The event as edited: enabled, the fields of the chosen type, the rest zero.
  addins::EventRecord Record() const;

 private:
  // The fields that depend on the type, each one row of the form.
  enum Field {
    kStart,
    kRepeat,
    kDays,
    kProgram,
    kProfile,
    kLevel,
    kTemperature,
    kIdle,
    kIdleNote,
    kStandby,
    kPowerSource,
    kScheme,
    kFieldCount
  };

  void BuildTypeFields(const StringTable& strings);
  void AddField(Field field, QWidget* label, QWidget* control);
  // Shows the rows of the chosen type only.
  void Arrange();
  void BrowseProgram();
  int32_t Type() const;

  const StringTable& strings_;
  EventChoices choices_;
  ProgramChooser chooseProgram_;
  QFormLayout* form_ = nullptr;
  std::array<QWidget*, kFieldCount> rows_{};
  QLineEdit* name_ = nullptr;
  QComboBox* sources_ = nullptr;
  QComboBox* type_ = nullptr;
  QDateEdit* date_ = nullptr;
  QTimeEdit* time_ = nullptr;
  QSpinBox* repeat_ = nullptr;
  std::array<QCheckBox*, 7> days_{};
  QLineEdit* program_ = nullptr;
  QComboBox* profile_ = nullptr;
  QSpinBox* level_ = nullptr;
  QSpinBox* temperature_ = nullptr;
  QSpinBox* idle_ = nullptr;
  QSpinBox* standby_ = nullptr;
  QComboBox* powerSource_ = nullptr;
  QComboBox* scheme_ = nullptr;
};

}  // namespace pacetta::ui
