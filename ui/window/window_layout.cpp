#include "ui/window/window_layout.h"

#include <algorithm>

namespace pacetta::ui {

QPoint PlaceOnWorkArea(const QRect& frame, const QRect& workArea) {
  int x = frame.x();
  int y = frame.y();
  if (frame.right() > workArea.right()) x -= frame.right() - workArea.right();
  if (frame.bottom() > workArea.bottom()) y -= frame.bottom() - workArea.bottom();
  return {std::max(x, workArea.left()), std::max(y, workArea.top())};
}

int ExpandedLeft(int left, int width, int screenLeft) {
  return std::max(left - width, screenLeft);
}

}  // namespace pacetta::ui
