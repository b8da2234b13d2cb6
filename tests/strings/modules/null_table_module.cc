// A module whose export claims entries but hands out no table.
#include "app/strings/language_module.h"

extern "C" const PacettaLanguageEntry* PacettaLanguageStrings(uint32_t* count) {
  *count = 3;
  return nullptr;
}
