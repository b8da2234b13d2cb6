// A German module that translates two texts; its other entries must be skipped.
#include "app/strings/language_module.h"

namespace {

constexpr PacettaLanguageEntry kEntries[] = {
    {10060, "Fehler"},
    {10289, "Anwendungsstandard: %s [%u]"},
    {10080, nullptr},             // no text: English stays
    {9999, "Unbekannte Nummer"},  // no such text in the program
};

}  // namespace

extern "C" const PacettaLanguageEntry* PacettaLanguageStrings(uint32_t* count) {
  *count = sizeof(kEntries) / sizeof(kEntries[0]);
  return kEntries;
}
