// A shared library with a table under the wrong name.
#include "app/strings/language_module.h"

namespace {

constexpr PacettaLanguageEntry kEntries[] = {{10060, "Erreur"}};

}  // namespace

extern "C" PACETTA_LANGUAGE_EXPORT const PacettaLanguageEntry* PacettaLanguageTexts(
    uint32_t* count) {
  *count = 1;
  return kEntries;
}
