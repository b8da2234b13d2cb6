#pragma once
#include <QIcon>
#include <QImage>

#include "ui/icons/icon_image.h"

namespace pacetta::ui {

// The picture as a Qt image of the same pixels.
QImage ToQImage(const icons::IconImage& image);
// The picture at 1x, 2x and 3x, each pixel repeated: a tray or window that wants more
// pixels gets sharp ones, never a blurred scaling.
QIcon ToQIcon(const icons::IconImage& image);

}  // namespace pacetta::ui
