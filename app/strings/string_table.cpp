#include "app/strings/string_table.h"

#include <utility>

#include "app/strings/builtin_strings.h"
#include "app/strings/language_module.h"

namespace pacetta {
namespace {

// A module claiming more entries than this is broken; reading them would run past its
// table.
constexpr uint32_t kMaxLanguageEntries = 65536;

std::unordered_map<uint32_t, std::string> EnglishTexts() {
  std::unordered_map<uint32_t, std::string> texts;
  texts.reserve(BuiltinStrings().size());
  for (const BuiltinString& entry : BuiltinStrings()) texts.emplace(entry.id, entry.text);
  return texts;
}

}  // namespace

StringTable::StringTable() : texts_(EnglishTexts()) {}

const std::string& StringTable::Get(uint32_t id) const {
  static const std::string kNoText;
  const auto found = texts_.find(id);
  return found == texts_.end() ? kNoText : found->second;
}

bool StringTable::LoadLanguageModule(platform::System& system, const std::string& folder,
                                     uint32_t lcid) {
  if (lcid == 0) return false;
  std::unique_ptr<platform::Module> module = system.LoadModule(LanguageModulePath(folder, lcid));
  if (!module) return false;
  const auto strings =
      reinterpret_cast<PacettaLanguageStringsFunction>(module->Symbol("PacettaLanguageStrings"));
  if (!strings) return false;
  uint32_t count = 0;
  const PacettaLanguageEntry* entries = strings(&count);
  if (!entries || count > kMaxLanguageEntries) return false;

  // The texts are copied, so none of them points into the module.
  std::unordered_map<uint32_t, std::string> texts = EnglishTexts();
  for (uint32_t i = 0; i < count; ++i) {
    if (!entries[i].text) continue;
    const auto known = texts.find(entries[i].id);
    if (known != texts.end()) known->second = entries[i].text;
  }
  texts_ = std::move(texts);
  module_ = std::move(module);
  languageId_ = lcid;
  return true;
}

std::string LanguageModulePath(const std::string& folder, uint32_t lcid) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + "Pacetta" + std::to_string(lcid) + ".so";
}

uint32_t ResolveLanguageId(uint32_t stored, platform::System& system) {
  if (stored == kLanguageUserDefault) return system.UserDefaultLocale();
  if (stored == kLanguageSystemDefault) return system.SystemDefaultLocale();
  return stored;
}

}  // namespace pacetta
