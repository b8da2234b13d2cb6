#pragma once
#include <QWidget>

#include "app/desktop/desktop_model.h"
#include "ui/icons/icon_image.h"

namespace pacetta::ui {

// One meter or history graph of a monitoring panel: it draws, whenever Qt paints it, the
// newest values of one group of one processor from the model's history, in the colours
// of the settings. Qt paints only what is on screen, so a hidden page, tab or group
// draws nothing. The pictures come from ui/icons at device pixels (the screen's whole
// pixel ratio), so that they stay sharp on a HiDPI screen, into one buffer kept from
// paint to paint.
class MonitorView final : public QWidget {
  Q_OBJECT
 public:
  enum class Kind { kMeter, kGraph };

  MonitorView(const DesktopModel& model, size_t processor, int group, Kind kind,
              QWidget* parent = nullptr);

  // How often it was painted: what a hidden view must never be.
  int Paints() const { return paints_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintMeter(QPainter& painter, int factor);
  void PaintGraph(QPainter& painter, int factor);
  // The buffer sized for the control at `factor` device pixels per pixel.
  icons::IconImage& Picture(int factor);
  void Show(QPainter& painter, int factor);

  const DesktopModel& model_;
  size_t processor_;
  int group_;
  Kind kind_;
  int paints_ = 0;
  icons::IconImage picture_;
};

// A line of text whose size never follows its text: a new value repaints the line and
// nothing else (a label would have the page laid out anew at every refresh). Too long a
// text is elided.
class ValueText final : public QWidget {
  Q_OBJECT
 public:
  explicit ValueText(QWidget* parent = nullptr);

  void SetText(const QString& text);
  const QString& Text() const { return text_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

// The small square before a value text: its series' colour, as the graph draws it.
class SeriesSwatch final : public QWidget {
  Q_OBJECT
 public:
  SeriesSwatch(const DesktopModel& model, int group, int series, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const DesktopModel& model_;
  int group_;
  int series_;
};

}  // namespace pacetta::ui
