#include "ui/pages/pro_features/program_chooser.h"

#include <QDir>
#include <QFileDialog>

namespace pacetta::ui {

std::optional<std::string> AskForProgram(QWidget& parent) {
  QFileDialog dialog(&parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // Programs are the files one may execute, whatever their names. The desktop's own
  // dialogs ignore such a filter, so Qt's dialog is used.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

}  // namespace pacetta::ui
