#pragma once
#include <QPoint>
#include <QRect>

namespace pacetta::ui {

// The main window's layout in dialog units: a fixed-size dialog with the page tree on the
// left and one page at a time on the right. The expand button sits where the collapse
// button lands once the tree is gone, so the button stays under the mouse.
namespace layout {
struct Box {
  int x, y, width, height;
};
inline constexpr Box kWindow{0, 0, 390, 305};
inline constexpr Box kPagesGroup{4, 2, 129, 301};      // 1008, the tree (1009) inside it
inline constexpr Box kCollapse{137, 2, 10, 10};        // 1012
inline constexpr Box kExpand{8, 2, 10, 10};            // 1013: kCollapse less the group's width
inline constexpr Box kCaption{150, 3, 232, 9};         // 1010
inline constexpr Box kPlaceholder{137, 13, 245, 290};  // 1011: every page's rectangle
static_assert(kExpand.x == kCollapse.x - kPagesGroup.width);
static_assert(kPlaceholder.x + kPlaceholder.width <= kWindow.width);
static_assert(kPlaceholder.y + kPlaceholder.height <= kWindow.height);
}  // namespace layout

// Where show window puts a window whose frame is `frame` so that it lies on `workArea`:
// moved left by what sticks out on the right and up by what sticks out below, but never
// left of or above the work area. The size is unchanged.
QPoint PlaceOnWorkArea(const QRect& frame, const QRect& workArea);

// The left edge of a window at `left` widened to the left by `width`: it stops at
// `screenLeft`, and the window grows to the right by the rest.
int ExpandedLeft(int left, int width, int screenLeft);

}  // namespace pacetta::ui
