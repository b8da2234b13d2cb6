#pragma once
#include "ui/icons/bitmap_font.h"

namespace pacetta::icons {

// Upper and lower case letters, digits and "-+?!." for the words on the processor logos.
// It has no space: a text is laid out word by word (see processor_logos.cpp).
const BitmapFont& LogoFont();

}  // namespace pacetta::icons
