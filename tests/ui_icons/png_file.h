#pragma once
#include <string>

#include "ui/icons/icon_image.h"

namespace pacetta::icons {

// Writes `image` as an 8-bit RGBA PNG; false when the file cannot be written.
bool WritePng(const IconImage& image, const std::string& path);

}  // namespace pacetta::icons
