#include "ui/tray/icon_pixmaps.h"

#include <QPixmap>
#include <cstring>

namespace pacetta::ui {

QImage ToQImage(const icons::IconImage& image) {
  QImage out(image.width, image.height, QImage::Format_ARGB32);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(out.scanLine(y), image.pixels.data() + static_cast<size_t>(y) * image.width,
                static_cast<size_t>(image.width) * sizeof(uint32_t));
  }
  return out;
}

QIcon ToQIcon(const icons::IconImage& image) {
  QIcon icon;
  for (int factor = 1; factor <= 3; ++factor) {
    const QImage scaled = ToQImage(icons::ScaleWhole(image, factor));
    icon.addPixmap(QPixmap::fromImage(scaled));
    // Trays that ask for a size a little above the picture's (22 or 24 for 16) get the
    // picture centred in it rather than scaled to a blur.
    for (const int padding : {3, 4}) {
      const int margin = padding * factor;
      QImage padded(scaled.width() + 2 * margin, scaled.height() + 2 * margin,
                    QImage::Format_ARGB32);
      padded.fill(Qt::transparent);
      for (int y = 0; y < scaled.height(); ++y) {
        std::memcpy(padded.scanLine(y + margin) + margin * 4, scaled.constScanLine(y),
                    static_cast<size_t>(scaled.width()) * 4);
      }
      icon.addPixmap(QPixmap::fromImage(padded));
    }
  }
  return icon;
}

}  // namespace pacetta::ui
