#include "ui/icons/icon_image.h"

namespace pacetta::icons {

IconImage ScaleWhole(const IconImage& image, int factor) {
  if (factor <= 1) return image;
  IconImage scaled(image.width * factor, image.height * factor);
  for (int y = 0; y < scaled.height; ++y) {
    for (int x = 0; x < scaled.width; ++x) {
      scaled.pixels[size_t(y) * scaled.width + x] = image.At(x / factor, y / factor);
    }
  }
  return scaled;
}

}  // namespace pacetta::icons
