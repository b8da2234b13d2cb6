#include "ui/pages/settings/language_list.h"

#include "app/strings/format_text.h"
#include "app/strings/installed_languages.h"
#include "app/strings/string_ids.h"

namespace pacetta::ui {
namespace {

// The language the built-in texts are written in.
constexpr uint32_t kBuiltInLanguage = 1033;

std::string Labelled(const std::string& format, uint32_t lcid) {
  return FormatText(format, {LanguageDisplayName(lcid), lcid});
}

}  // namespace

std::vector<LanguageEntry> LanguageEntries(const StringTable& strings, const LanguageOffer& offer) {
  std::vector<LanguageEntry> entries;
  entries.push_back(
      {Labelled(strings.Get(kStrLanguageApplicationDefault), kBuiltInLanguage), 0, true});
  entries.push_back({Labelled(strings.Get(kStrLanguageUserDefault), offer.userDefault),
                     static_cast<int32_t>(kLanguageUserDefault), offer.userDefaultAvailable});
  entries.push_back({Labelled(strings.Get(kStrLanguageSystemDefault), offer.systemDefault),
                     static_cast<int32_t>(kLanguageSystemDefault), offer.systemDefaultAvailable});
  for (const LanguageChoice& language : offer.installed) {
    entries.push_back(
        {Labelled("%s [%u]", language.lcid), static_cast<int32_t>(language.lcid), true});
  }
  return entries;
}

size_t LanguageEntryOf(const std::vector<LanguageEntry>& entries, int32_t value) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].value == value) return i;
  }
  return 0;
}

}  // namespace pacetta::ui
