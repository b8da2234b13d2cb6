#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace pacetta {

// A language whose module lies beside the program, as the settings page lists it.
struct LanguageChoice {
  uint32_t lcid;
  std::string name;  // LanguageDisplayName(lcid)
  std::string file;  // the module's full path
};

// What a locale number is called: in English and in the language itself.
struct LanguageName {
  uint32_t lcid;
  std::string_view english;
  std::string_view native;
};

// The common locales by rising number; null for one the program cannot name.
const LanguageName* FindLanguageName(uint32_t lcid);

// "Deutsch – German" for 1031, the English name alone where both are the same, and
// "Language <lcid>" for a number the program cannot name.
std::string LanguageDisplayName(uint32_t lcid);

// The language modules present in `programFolder`, by rising locale number. Only the
// locales the program can name are looked for.
std::vector<LanguageChoice> InstalledLanguages(platform::System& system,
                                               const std::string& programFolder);

// The locale whose module serves `lcid`: its own module, else the module of the same
// language's main locale (1031 for Swiss German 2055), else any installed module of the
// same language; 0 when none is installed. English needs no module: its texts are built in.
uint32_t ModuleLocaleFor(platform::System& system, const std::string& programFolder, uint32_t lcid);

// Whether choosing `lcid` shows the program in that language: English (and 0, the
// built-in texts) always, any other language when a module serves it.
bool LanguageAvailable(platform::System& system, const std::string& programFolder, uint32_t lcid);

}  // namespace pacetta
