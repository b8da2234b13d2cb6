#pragma once
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace pacetta::ui {

// Asks the user for an existing program file: its full path, or nullopt when the dialog
// was cancelled.
using ProgramChooser = std::function<std::optional<std::string>(QWidget& parent)>;

// The file dialog, listing the executable files only.
std::optional<std::string> AskForProgram(QWidget& parent);

}  // namespace pacetta::ui
