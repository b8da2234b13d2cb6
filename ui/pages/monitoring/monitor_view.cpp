#include "ui/pages/monitoring/monitor_view.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "app/strings/string_ids.h"
#include "ui/icons/monitor_pictures.h"

namespace pacetta::ui {
namespace {

icons::MonitorScale ScaleOf(const SeriesScale& scale) {
  return {scale.min, scale.max};
}

QColor ColorOf(uint32_t colorRef) {
  return QColor::fromRgb(icons::Opaque(colorRef));
}

// Whole device pixels per pixel of the picture: 2 on a screen of ratio 2, so every
// picture pixel is a block of device pixels and nothing is smoothed.
int WholeFactor(const QWidget& widget) {
  return std::max(1, static_cast<int>(std::lround(widget.devicePixelRatioF())));
}

}  // namespace

MonitorView::MonitorView(const DesktopModel& model, size_t processor, int group, Kind kind,
                         QWidget* parent)
    : QWidget(parent), model_(model), processor_(processor), group_(group), kind_(kind) {
  setObjectName(QStringLiteral("%1%2").arg(kind == Kind::kMeter ? "Meter" : "Graph").arg(group));
  // Every pixel is ours: Qt need not clear the background first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void MonitorView::paintEvent(QPaintEvent* /*event*/) {
  ++paints_;
  QPainter painter(this);
  if (kind_ == Kind::kMeter) {
    PaintMeter(painter, WholeFactor(*this));
  } else {
    PaintGraph(painter, WholeFactor(*this));
  }
}

icons::IconImage& MonitorView::Picture(int factor) {
  const int width = this->width() * factor, height = this->height() * factor;
  if (picture_.width != width || picture_.height != height) {
    picture_ = icons::IconImage(width, height);
  }
  return picture_;
}

void MonitorView::Show(QPainter& painter, int factor) {
  // The buffer's pixels as they are (0xAARRGGBB words), without a copy.
  QImage image(reinterpret_cast<const uchar*>(picture_.pixels.data()), picture_.width,
               picture_.height, picture_.width * 4, QImage::Format_ARGB32);
  image.setDevicePixelRatio(factor);
  painter.drawImage(0, 0, image);
}

void MonitorView::PaintMeter(QPainter& painter, int factor) {
  const MonitorHistory& history = model_.Monitoring();
  const AppSettings& settings = model_.Settings();
  const int count = MonitorSeriesIn(group_);
  std::array<icons::MeterBar, kMonitorSeriesCount> bars{};
  std::array<std::string, kMonitorSeriesCount> captions;
  if (processor_ < history.ProcessorCount()) {
    const MonitorHistory::Processor& values = history.Of(processor_);
    const std::string notAvailable = model_.Strings().Get(kStrNotAvailableShort);
    for (int series = 0; series < count; ++series) {
      icons::MeterBar& bar = bars[static_cast<size_t>(series)];
      const SeriesRing& ring = values.rings[group_][series];
      if (ring.Taken() > 0) bar.value = ring.Back(0);
      bar.scale = ScaleOf(values.scales[group_][series]);
      captions[static_cast<size_t>(series)] =
          SeriesCaption(values.latest, group_, series, settings.tray.tempUnits, notAvailable);
      bar.caption = captions[static_cast<size_t>(series)];
    }
  }
  for (int series = 0; series < count; ++series) {
    bars[static_cast<size_t>(series)].color = SeriesColor(settings.colors, group_, series);
  }
  icons::DrawMeter(Picture(factor), factor, std::span(bars).first(size_t(count)),
                   settings.colors.graphBackground);
  Show(painter, factor);
}

void MonitorView::PaintGraph(QPainter& painter, int factor) {
  const MonitorHistory& history = model_.Monitoring();
  const ColorSettings& colors = model_.Settings().colors;
  std::array<icons::GraphSeries, kMonitorSeriesCount> series{};
  size_t count = 0;
  uint64_t added = 0;
  if (processor_ < history.ProcessorCount()) {
    const MonitorHistory::Processor& values = history.Of(processor_);
    count = static_cast<size_t>(MonitorSeriesIn(group_));
    for (size_t k = 0; k < count; ++k) {
      const SeriesRing& ring = values.rings[group_][k];
      series[k] = {ring.Slots(), ring.Taken(), ScaleOf(values.scales[group_][k]),
                   SeriesColor(colors, group_, static_cast<int>(k))};
    }
    added = values.rings[group_][0].Taken();
  }
  icons::DrawGraph(Picture(factor), factor, std::span(series).first(count), added,
                   colors.graphBackground, colors.graphGrid);
  Show(painter, factor);
}

ValueText::ValueText(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ValueText::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

QSize ValueText::sizeHint() const {
  return {fontMetrics().averageCharWidth() * 20, fontMetrics().height()};
}

QSize ValueText::minimumSizeHint() const {
  return {fontMetrics().averageCharWidth() * 4, fontMetrics().height()};
}

void ValueText::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(text_, Qt::ElideRight, width()));
}

SeriesSwatch::SeriesSwatch(const DesktopModel& model, int group, int series, QWidget* parent)
    : QWidget(parent), model_(model), group_(group), series_(series) {}

void SeriesSwatch::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QColor color =
      ColorOf(SeriesColor(model_.Settings().colors, group_, series_).value_or(icons::kUnsetLit));
  painter.fillRect(rect(), ColorOf(model_.Settings().colors.graphBackground));
  painter.fillRect(rect().adjusted(2, 2, -2, -2), color);
}

}  // namespace pacetta::ui
