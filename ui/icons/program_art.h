#pragma once
#include "ui/icons/icon_image.h"

// The program's fixed pictures, each drawn by its own file; ProgramImage picks them by
// number.
namespace pacetta::icons {

// 200 and 201..219: the program icon, the four profiles and the performance levels.
IconImage ChipImage(int number);
// 292: the battery body, white around it.
IconImage BatteryBody();
// 293: the battery's four status overlays, side by side.
IconImage BatteryOverlays();

}  // namespace pacetta::icons
