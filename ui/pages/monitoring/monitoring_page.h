#pragma once
#include <cstdint>
#include <vector>

#include "ui/pages/monitoring/monitor_panel.h"
#include "ui/window/page.h"

class QStackedWidget;
class QTabBar;

namespace pacetta::ui {

// "Monitoring": one tab per processor, "CPU 0" upwards, each a panel of meters and
// scrolling history graphs (the tab bar is disabled on a single processor). The model
// keeps the series whether or not the page is shown; the page draws only while it is on
// screen, and only the tab in front. Collapsing a group collapses it on every tab; the
// groups collapsed are "HideMonitoring", one bit per group, handed to the model at the
// orderly end.
class MonitoringPage final : public Page {
 public:
  explicit MonitoringPage(PageContext context);

  void Reload() override;
  void RefreshShownValues() override;
  void StoreState() override;

  // Bit g set: group g is collapsed.
  int32_t HiddenGroups() const { return hidden_; }

 private:
  void SetGroupHidden(int group, bool hidden);
  MonitorPanel* CurrentPanel() const;

  QTabBar* tabs_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  std::vector<MonitorPanel*> panels_;  // owned by the stack
  int32_t hidden_ = 0;
};

}  // namespace pacetta::ui
