#include "app/strings/installed_languages.h"

#include <algorithm>
#include <iterator>

#include "app/strings/string_table.h"

namespace pacetta {
namespace {

// The common locales, by rising number. A locale number holds the language in its low
// ten bits and the country or script above them.
constexpr LanguageName kNames[] = {
    {1025, "Arabic (Saudi Arabia)", "العربية (السعودية)"},
    {1026, "Bulgarian", "Български"},
    {1027, "Catalan", "Català"},
    {1028, "Chinese (Traditional)", "中文（繁體）"},
    {1029, "Czech", "Čeština"},
    {1030, "Danish", "Dansk"},
    {1031, "German", "Deutsch"},
    {1032, "Greek", "Ελληνικά"},
    {1033, "English (United States)", "English (United States)"},
    {1035, "Finnish", "Suomi"},
    {1036, "French", "Français"},
    {1037, "Hebrew", "עברית"},
    {1038, "Hungarian", "Magyar"},
    {1040, "Italian", "Italiano"},
    {1041, "Japanese", "日本語"},
    {1042, "Korean", "한국어"},
    {1043, "Dutch", "Nederlands"},
    {1044, "Norwegian (Bokmål)", "Norsk (bokmål)"},
    {1045, "Polish", "Polski"},
    {1046, "Portuguese (Brazil)", "Português (Brasil)"},
    {1048, "Romanian", "Română"},
    {1049, "Russian", "Русский"},
    {1050, "Croatian", "Hrvatski"},
    {1051, "Slovak", "Slovenčina"},
    {1053, "Swedish", "Svenska"},
    {1054, "Thai", "ไทย"},
    {1055, "Turkish", "Türkçe"},
    {1057, "Indonesian", "Bahasa Indonesia"},
    {1058, "Ukrainian", "Українська"},
    {1060, "Slovenian", "Slovenščina"},
    {1061, "Estonian", "Eesti"},
    {1062, "Latvian", "Latviešu"},
    {1063, "Lithuanian", "Lietuvių"},
    {1066, "Vietnamese", "Tiếng Việt"},
    {1069, "Basque", "Euskara"},
    {1081, "Hindi", "हिन्दी"},
    {1086, "Malay", "Bahasa Melayu"},
    {1110, "Galician", "Galego"},
    {2052, "Chinese (Simplified)", "中文（简体）"},
    {2055, "German (Switzerland)", "Deutsch (Schweiz)"},
    {2057, "English (United Kingdom)", "English (United Kingdom)"},
    {2058, "Spanish (Mexico)", "Español (México)"},
    {2060, "French (Belgium)", "Français (Belgique)"},
    {2067, "Dutch (Belgium)", "Nederlands (België)"},
    {2070, "Portuguese (Portugal)", "Português (Portugal)"},
    {2074, "Serbian (Latin)", "Srpski (latinica)"},
    {3079, "German (Austria)", "Deutsch (Österreich)"},
    {3081, "English (Australia)", "English (Australia)"},
    {3082, "Spanish (Spain)", "Español (España)"},
    {3084, "French (Canada)", "Français (Canada)"},
    {4105, "English (Canada)", "English (Canada)"},
};

constexpr uint32_t kLanguageBits = 0x3FF;
constexpr uint32_t kEnglish = 0x09;
// A language's main locale carries country code 1 (German of Germany, French of France).
constexpr uint32_t MainLocaleOf(uint32_t lcid) {
  return (1u << 10) | (lcid & kLanguageBits);
}

bool HasModule(platform::System& system, const std::string& folder, uint32_t lcid) {
  return system.FileExists(LanguageModulePath(folder, lcid));
}

}  // namespace

const LanguageName* FindLanguageName(uint32_t lcid) {
  const auto found =
      std::lower_bound(std::begin(kNames), std::end(kNames), lcid,
                       [](const LanguageName& name, uint32_t id) { return name.lcid < id; });
  return found != std::end(kNames) && found->lcid == lcid ? found : nullptr;
}

std::string LanguageDisplayName(uint32_t lcid) {
  const LanguageName* name = FindLanguageName(lcid);
  if (!name) return "Language " + std::to_string(lcid);
  if (name->native == name->english) return std::string(name->english);
  return std::string(name->native) + " – " + std::string(name->english);
}

std::vector<LanguageChoice> InstalledLanguages(platform::System& system,
                                               const std::string& programFolder) {
  std::vector<LanguageChoice> installed;
  for (const LanguageName& name : kNames) {
    std::string file = LanguageModulePath(programFolder, name.lcid);
    if (system.FileExists(file)) {
      installed.push_back({name.lcid, LanguageDisplayName(name.lcid), std::move(file)});
    }
  }
  return installed;
}

uint32_t ModuleLocaleFor(platform::System& system, const std::string& programFolder,
                         uint32_t lcid) {
  if (lcid == 0) return 0;
  if (HasModule(system, programFolder, lcid)) return lcid;
  const uint32_t main = MainLocaleOf(lcid);
  if (main != lcid && HasModule(system, programFolder, main)) return main;
  for (const LanguageName& name : kNames) {
    if ((name.lcid & kLanguageBits) == (lcid & kLanguageBits) && name.lcid != lcid &&
        name.lcid != main && HasModule(system, programFolder, name.lcid)) {
      return name.lcid;
    }
  }
  return 0;
}

bool LanguageAvailable(platform::System& system, const std::string& programFolder, uint32_t lcid) {
  return lcid == 0 || (lcid & kLanguageBits) == kEnglish ||
         ModuleLocaleFor(system, programFolder, lcid) != 0;
}

}  // namespace pacetta
