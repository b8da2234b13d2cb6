#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/desktop/desktop_model.h"
#include "app/strings/string_table.h"

namespace pacetta::ui {

// One entry of "Application language:": its text, the "ResourceLocaleId" it stores, and
// whether it can be chosen (a default language that no module serves is greyed).
struct LanguageEntry {
  std::string text;
  int32_t value = 0;
  bool enabled = true;
};

// The list in its order: the built-in texts (value 0), the user's default (1024), the
// system's default (2048), then every installed language module.
std::vector<LanguageEntry> LanguageEntries(const StringTable& strings, const LanguageOffer& offer);

// The entry that stores `value`; the first entry when none does.
size_t LanguageEntryOf(const std::vector<LanguageEntry>& entries, int32_t value);

}  // namespace pacetta::ui
