#pragma once
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/window/page.h"

class QPushButton;
class QTabWidget;

namespace pacetta::ui {

class ProcessorTab;

// What "Save diagnostic info" asks the save dialog for.
struct SaveFileRequest {
  QString filter;         // "Text Files (*.txt)"
  QString defaultName;    // "cpuinfo.txt"
  QString defaultSuffix;  // "txt", added to a name typed without one
};
// Asks the user for a file to write; nullopt when the dialog was cancelled.
using SaveFileChooser =
    std::function<std::optional<std::string>(QWidget& parent, const SaveFileRequest& request)>;

// The system's save dialog.
std::optional<std::string> AskForSaveFile(QWidget& parent, const SaveFileRequest& request);

// "CPU info": a tab per processor, "CPU 0", "CPU 1", ... (the tabs cannot be switched
// on a single-processor system), each with the processor's identification, features and
// live status, and "Save diagnostic info", which writes the diagnostic dump of every
// processor to a file the user chooses.
class CpuInfoPage final : public Page {
 public:
  explicit CpuInfoPage(PageContext context, SaveFileChooser chooseFile = AskForSaveFile);

  // The status of the tab in front, from the latest refresh.
  void Reload() override;
  void RefreshShownValues() override;
  // The program ends: a save dialog still open saves nothing afterwards.
  void StoreState() override { ended_ = true; }

 private:
  void SaveDiagnosticInfo();

  SaveFileChooser chooseFile_;
  QTabWidget* tabs_ = nullptr;
  QPushButton* save_ = nullptr;
  std::vector<ProcessorTab*> processorTabs_;  // owned by tabs_
  bool ended_ = false;
};

}  // namespace pacetta::ui
