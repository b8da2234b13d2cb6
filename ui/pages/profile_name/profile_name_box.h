#pragma once
#include <QDialog>
#include <optional>
#include <string>

#include "app/strings/string_table.h"

class QLineEdit;

namespace pacetta::ui {

// "Add/rename profile": asks a profile's name ("New profile name:", OK and Cancel). OK
// is offered only while the name holds more than blanks.
class ProfileNameBox final : public QDialog {
 public:
  ProfileNameBox(const StringTable& strings, const std::string& name, QWidget* parent);

  std::string Name() const;
  QLineEdit& Field() { return *field_; }

  // The typed name, or nullopt when the box was cancelled.
  static std::optional<std::string> Ask(const StringTable& strings, const std::string& name,
                                        QWidget* parent);

 private:
  QLineEdit* field_ = nullptr;
};

}  // namespace pacetta::ui
