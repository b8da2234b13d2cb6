#include "ui/pages/monitoring/monitoring_page.h"

#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {

MonitoringPage::MonitoringPage(PageContext context) : Page(context) {
  setObjectName("MonitoringPage");
  // Bits beyond the four groups mean nothing and are not kept.
  hidden_ = Model().Settings().window.hideMonitoring & kMonitorGroupBits;
  const StringTable& strings = Model().Strings();

  tabs_ = MakeOwned<QTabBar>();
  tabs_->setObjectName("ProcessorTabs");
  tabs_->setExpanding(false);
  stack_ = MakeOwned<QStackedWidget>();
  const size_t count = Model().Processors().size();
  for (size_t k = 0; k < count; ++k) {
    tabs_->addTab(QString::fromStdString(FormatText(strings.Get(kStrCpuTab), {k})));
    auto* panel = MakeOwned<MonitorPanel>(
        Model(), k, [this](int group, bool hidden) { SetGroupHidden(group, hidden); });
    for (int group = 0; group < kMonitorGroupCount; ++group) {
      panel->SetGroupHidden(group, (hidden_ >> group & 1) != 0);
    }
    stack_->addWidget(panel);
    panels_.push_back(panel);
  }
  // One processor: its tab is shown but cannot be chosen; the panel stays usable.
  tabs_->setEnabled(count > 1);
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    stack_->setCurrentIndex(index);
    if (MonitorPanel* panel = CurrentPanel()) panel->Refresh();
  });

  auto* column = MakeOwned<QVBoxLayout>(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(tabs_);
  column->addWidget(stack_, 1);
}

MonitorPanel* MonitoringPage::CurrentPanel() const {
  const int index = stack_->currentIndex();
  return index >= 0 && static_cast<size_t>(index) < panels_.size()
             ? panels_[static_cast<size_t>(index)]
             : nullptr;
}

void MonitoringPage::Reload() {
  // Shown again: the texts catch up with the samples taken meanwhile.
  if (MonitorPanel* panel = CurrentPanel()) panel->Refresh();
}

void MonitoringPage::RefreshShownValues() {
  if (!isVisible()) return;
  if (MonitorPanel* panel = CurrentPanel()) panel->Refresh();
}

void MonitoringPage::SetGroupHidden(int group, bool hidden) {
  const int32_t bit = int32_t{1} << group;
  hidden_ = hidden ? hidden_ | bit : hidden_ & ~bit;
  for (MonitorPanel* panel : panels_) panel->SetGroupHidden(group, hidden);
}

void MonitoringPage::StoreState() {
  WindowSettings window = Model().Settings().window;
  if (window.hideMonitoring == hidden_) return;
  window.hideMonitoring = hidden_;
  Model().SetWindowSettings(window);
}

}  // namespace pacetta::ui
