#pragma once
#include <QString>
#include <cstdint>

#include "app/strings/format_text.h"
#include "app/strings/string_table.h"

namespace pacetta::ui {

// A control's text from the string table. The table's texts are formats: a literal
// percent sign is written "%%" there.
inline QString PageText(const StringTable& strings, uint32_t id) {
  return QString::fromStdString(FormatText(strings.Get(id), {}));
}

}  // namespace pacetta::ui
