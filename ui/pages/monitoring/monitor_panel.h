#pragma once
#include <QWidget>
#include <array>
#include <functional>

#include "app/desktop/desktop_model.h"
#include "ui/pages/monitoring/monitor_view.h"

class QToolButton;

namespace pacetta::ui {

// One processor's tab of the Monitoring page: four groups top to bottom (clock, load,
// FID and VID, temperature), each a meter and a history graph above its value texts and
// its hide and show buttons. A collapsed group keeps its title and value texts; the
// groups below it move up.
class MonitorPanel final : public QWidget {
 public:
  // `hideGroup(group, hidden)`: a hide or show button was clicked.
  MonitorPanel(const DesktopModel& model, size_t processor,
               std::function<void(int group, bool hidden)> hideGroup, QWidget* parent = nullptr);

  void SetGroupHidden(int group, bool hidden);
  // The value texts from the model's newest samples; the meters and graphs drawn again.
  void Refresh();

 private:
  struct Group {
    MonitorView* meter = nullptr;
    MonitorView* graph = nullptr;
    std::array<ValueText*, kMonitorSeriesCount> values{};
    QToolButton* hide = nullptr;
    QToolButton* show = nullptr;
  };

  QWidget* BuildGroup(int group);

  const DesktopModel& model_;
  size_t processor_;
  std::function<void(int, bool)> hideGroup_;
  std::array<Group, kMonitorGroupCount> groups_{};
};

}  // namespace pacetta::ui
