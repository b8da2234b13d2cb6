#pragma once
#include "app/strings/string_table.h"
#include "battery/battery_text_source.h"

namespace pacetta {

// The battery monitor's view of the string table; `strings` must outlive it.
battery::TextSource BatteryTextTable(const StringTable& strings);

}  // namespace pacetta
