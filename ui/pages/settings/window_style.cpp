#include "ui/pages/settings/window_style.h"

#include <QSystemTrayIcon>
#include <QWidget>

namespace pacetta::ui {

void FollowWindowStyle(QWidget& window, bool taskbarButton, bool alwaysOnTop) {
  const Qt::WindowType type =
      !taskbarButton && QSystemTrayIcon::isSystemTrayAvailable() ? Qt::Tool : Qt::Window;
  Qt::WindowFlags flags = window.windowFlags() & ~Qt::WindowFlags(Qt::WindowType_Mask);
  flags |= type;
  flags.setFlag(Qt::WindowStaysOnTopHint, alwaysOnTop);
  if (flags == window.windowFlags()) return;
  const bool visible = window.isVisible();
  const QPoint place = window.pos();
  window.hide();
  window.setWindowFlags(flags);
  window.move(place);
  if (visible) window.show();
}

}  // namespace pacetta::ui
