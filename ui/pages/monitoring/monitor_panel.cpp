#include "ui/pages/monitoring/monitor_panel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "ui/pages/page_text.h"
#include "ui/window/dialog_units.h"
#include "ui/window/qt_child.h"

namespace pacetta::ui {
namespace {

// In dialog units: the meter's width, and the height of meters and graphs (four groups
// and the tab bar fill the page's 290 units).
constexpr int kMeterWidth = 40;
constexpr int kViewHeight = 34;
constexpr int kSwatchSize = 6;

QToolButton* ArrowButton(Qt::ArrowType arrow, const QString& tip, const QString& name) {
  auto* button = MakeOwned<QToolButton>();
  button->setObjectName(name);
  button->setArrowType(arrow);
  button->setToolTip(tip);
  button->setAutoRaise(true);
  return button;
}

}  // namespace

MonitorPanel::MonitorPanel(const DesktopModel& model, size_t processor,
                           std::function<void(int, bool)> hideGroup, QWidget* parent)
    : QWidget(parent), model_(model), processor_(processor), hideGroup_(std::move(hideGroup)) {
  setObjectName(QStringLiteral("Panel%1").arg(processor));
  auto* column = MakeOwned<QVBoxLayout>(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  for (int group = 0; group < kMonitorGroupCount; ++group) column->addWidget(BuildGroup(group));
  // Collapsed groups free their room at the bottom: the groups below move up.
  column->addStretch(1);
}

QWidget* MonitorPanel::BuildGroup(int group) {
  const StringTable& strings = model_.Strings();
  const DialogUnits units(font());
  Group& parts = groups_[static_cast<size_t>(group)];
  auto* box = MakeOwned<QGroupBox>(PageText(strings, kStrMonitorGroupFirst + uint32_t(group)));
  box->setObjectName(QStringLiteral("Group%1").arg(group));
  auto* rows = MakeOwned<QVBoxLayout>(box);
  rows->setContentsMargins(6, 2, 6, 2);
  rows->setSpacing(2);

  parts.meter = MakeOwned<MonitorView>(model_, processor_, group, MonitorView::Kind::kMeter);
  parts.meter->setFixedSize(units.X(kMeterWidth), units.Y(kViewHeight));
  parts.graph = MakeOwned<MonitorView>(model_, processor_, group, MonitorView::Kind::kGraph);
  parts.graph->setFixedHeight(units.Y(kViewHeight));
  parts.graph->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  auto* views = MakeOwned<QHBoxLayout>();
  views->setSpacing(4);
  views->addWidget(parts.meter);
  views->addWidget(parts.graph);
  rows->addLayout(views);

  auto* texts = MakeOwned<QHBoxLayout>();
  texts->setSpacing(4);
  for (int series = 0; series < MonitorSeriesIn(group); ++series) {
    auto* swatch = MakeOwned<SeriesSwatch>(model_, group, series);
    swatch->setFixedSize(units.Y(kSwatchSize), units.Y(kSwatchSize));
    auto* value = MakeOwned<ValueText>();
    value->setObjectName(QStringLiteral("Value%1%2").arg(group).arg(series));
    parts.values[static_cast<size_t>(series)] = value;
    texts->addWidget(swatch);
    texts->addWidget(value, 1);
  }
  parts.hide = ArrowButton(Qt::UpArrow, PageText(strings, kStrMonitorHide),
                           QStringLiteral("Hide%1").arg(group));
  parts.show = ArrowButton(Qt::DownArrow, PageText(strings, kStrMonitorShow),
                           QStringLiteral("Show%1").arg(group));
  parts.show->hide();
  connect(parts.hide, &QToolButton::clicked, this, [this, group] { hideGroup_(group, true); });
  connect(parts.show, &QToolButton::clicked, this, [this, group] { hideGroup_(group, false); });
  texts->addWidget(parts.hide);
  texts->addWidget(parts.show);
  rows->addLayout(texts);
  return box;
}

void MonitorPanel::SetGroupHidden(int group, bool hidden) {
  if (group < 0 || group >= kMonitorGroupCount) return;
  Group& parts = groups_[static_cast<size_t>(group)];
  // The button that has the focus hands it to its partner, which takes its place.
  const bool focused = parts.hide->hasFocus() || parts.show->hasFocus();
  parts.meter->setVisible(!hidden);
  parts.graph->setVisible(!hidden);
  parts.hide->setVisible(!hidden);
  parts.show->setVisible(hidden);
  if (focused) (hidden ? parts.show : parts.hide)->setFocus();
}

void MonitorPanel::Refresh() {
  const MonitorHistory& history = model_.Monitoring();
  if (processor_ >= history.ProcessorCount()) return;
  const StringTable& strings = model_.Strings();
  const std::string notAvailable = strings.Get(kStrNotAvailableShort);
  const std::string& pattern = strings.Get(kStrMonitorValueText);
  const CpuSample& latest = history.Of(processor_).latest;
  const int32_t tempUnits = model_.Settings().tray.tempUnits;
  for (int group = 0; group < kMonitorGroupCount; ++group) {
    const Group& parts = groups_[static_cast<size_t>(group)];
    for (int series = 0; series < MonitorSeriesIn(group); ++series) {
      const std::string name = strings.Get(kStrMonitorSeriesFirst + uint32_t(2 * group + series));
      const std::string value = SeriesValueText(latest, group, series, tempUnits, notAvailable);
      parts.values[static_cast<size_t>(series)]->SetText(
          QString::fromStdString(FormatText(pattern, {name, value})));
    }
    // Only what is on screen is drawn; hidden views ignore this.
    parts.meter->update();
    parts.graph->update();
  }
}

}  // namespace pacetta::ui
