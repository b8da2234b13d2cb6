#include "ui/pages/cpu_info/cpu_info_page.h"

#include <QFileDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "ui/pages/cpu_info/processor_tab.h"
#include "ui/pages/page_buttons.h"
#include "ui/pages/page_text.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {

std::optional<std::string> AskForSaveFile(QWidget& parent, const SaveFileRequest& request) {
  QFileDialog dialog(&parent, QString(), request.defaultName, request.filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

CpuInfoPage::CpuInfoPage(PageContext context, SaveFileChooser chooseFile)
    : Page(context), chooseFile_(std::move(chooseFile)) {
  setObjectName("CpuInfoPage");
  const StringTable& strings = Model().Strings();
  tabs_ = MakeOwned<QTabWidget>();
  tabs_->setObjectName("ProcessorTabs");
  const std::span<const CpuInfo> processors = Model().Processors();
  // Naming reads each processor's registers: once, for all tabs.
  const std::vector<ProcessorIdentity> identities = Model().ProcessorIdentities();
  for (size_t k = 0; k < processors.size(); ++k) {
    const ProcessorIdentity identity = k < identities.size() ? identities[k] : ProcessorIdentity{};
    auto* tab = MakeOwned<ProcessorTab>(processors[k], identity, strings);
    processorTabs_.push_back(tab);
    tabs_->addTab(tab, QString::fromStdString(FormatText(strings.Get(kStrCpuTab), {k})));
  }
  tabs_->tabBar()->setEnabled(processors.size() > 1);
  connect(tabs_, &QTabWidget::currentChanged, this, [this] { RefreshShownValues(); });

  save_ = PageButton(strings, kStrSaveDiagnosticInfo, "SaveDiagnosticInfo");
  connect(save_, &QPushButton::clicked, this, [this] { SaveDiagnosticInfo(); });
  auto* buttons = MakeOwned<QHBoxLayout>();
  buttons->addWidget(save_);
  buttons->addStretch(1);

  auto* page = MakeOwned<QVBoxLayout>(this);
  page->setContentsMargins(0, 0, 0, 0);  // the window's placeholder frames the page
  page->addWidget(tabs_, 1);
  page->addLayout(buttons);
  RefreshShownValues();
}

void CpuInfoPage::Reload() {
  RefreshShownValues();
}

void CpuInfoPage::RefreshShownValues() {
  if (ended_) return;
  const int shown = tabs_->currentIndex();
  if (shown < 0 || static_cast<size_t>(shown) >= processorTabs_.size()) return;
  processorTabs_[static_cast<size_t>(shown)]->ShowStatus(
      Model().ProcessorSample(static_cast<uint32_t>(shown)), Model().Settings().tray.tempUnits);
}

void CpuInfoPage::SaveDiagnosticInfo() {
  if (ended_) return;
  const StringTable& strings = Model().Strings();
  const SaveFileRequest request{PageText(strings, kStrTextFilesFilter),
                                QStringLiteral("cpuinfo.txt"), QStringLiteral("txt")};
  const std::optional<std::string> path = chooseFile_(*this, request);
  // The dialog's loop may have run the program's end meanwhile.
  if (!path || ended_) return;
  // A file that cannot be written ends the action without a word.
  Model().SaveDiagnosticDump(*path);
}

}  // namespace pacetta::ui
