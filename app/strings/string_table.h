#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/system.h"

namespace pacetta {

// Stored language choices that stand for whatever the user's or the system's default
// language is at start.
inline constexpr uint32_t kLanguageUserDefault = 1024;
inline constexpr uint32_t kLanguageSystemDefault = 2048;

// The numbered user-visible texts: the built-in English ones, each possibly replaced
// by the translation of a language module. Move-only: it holds the loaded module.
class StringTable {
 public:
  StringTable();
  StringTable(StringTable&&) noexcept = default;
  StringTable& operator=(StringTable&&) noexcept = default;

  // The text numbered `id`; empty for a number that has no text.
  const std::string& Get(uint32_t id) const;

  // Loads "<folder>/Pacetta<lcid>.so" and takes every text it translates; the others
  // are English again (also when another module was in use). Returns false and changes
  // nothing when `lcid` is 0, the file is absent or not a module, or the module does
  // not export a usable table.
  bool LoadLanguageModule(platform::System& system, const std::string& folder, uint32_t lcid);

  // The language of the module in use; 0 for the built-in English texts.
  uint32_t LanguageId() const { return languageId_; }

 private:
  std::unordered_map<uint32_t, std::string> texts_;
  // Kept loaded for the run, as the program frees its language module only at exit.
  std::unique_ptr<platform::Module> module_;
  uint32_t languageId_ = 0;
};

// Where the module of language `lcid` lives in `folder`.
std::string LanguageModulePath(const std::string& folder, uint32_t lcid);

// The language a stored choice means now: the user's or the system's default for 1024
// and 2048, any other value as it is.
uint32_t ResolveLanguageId(uint32_t stored, platform::System& system);

}  // namespace pacetta
