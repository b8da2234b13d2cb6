#pragma once
#include "ui/icons/icon_image.h"

namespace pacetta::icons {

// The processor logos are 64 x 64.
inline constexpr int kLogoSize = 64;

// The logo of a processor by its number, 233..288 (cpu/names/logo_ids.h): a badge in the
// maker's colours with the maker's word on a band at the top, the product's name below it
// and a stripe in the product line's colour. Numbers no processor is given show their
// maker's "?" badge; 288 is the grey badge of an unknown processor. An empty image for
// numbers outside the block.
IconImage DrawProcessorLogo(int id);

}  // namespace pacetta::icons
