/* The interface of a language module: a shared library "Pacetta<LCID>.so" that
 * replaces the program's texts with those of one language. This header is plain C
 * so that a module can be built with a C or a C++ compiler; see
 * docs/language-modules.md. */
#pragma once
#include <stdint.h>

#if defined(__GNUC__)
#define PACETTA_LANGUAGE_EXPORT __attribute__((visibility("default")))
#else
#define PACETTA_LANGUAGE_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One translated text: the number of the English text it replaces and its UTF-8
 * translation. The text keeps the directives of the English text ("%s", "%d", ...)
 * in the same order, or numbers them ("%2$s"). */
struct PacettaLanguageEntry {
  uint32_t id;
  const char* text;
};

/* The module's one export. Stores the number of entries in *count and returns the
 * first of them; the array and its texts must stay valid while the module is
 * loaded. Entries with a null text and numbers the program does not know are
 * skipped. */
PACETTA_LANGUAGE_EXPORT const struct PacettaLanguageEntry* PacettaLanguageStrings(uint32_t* count);

typedef const struct PacettaLanguageEntry* (*PacettaLanguageStringsFunction)(uint32_t* count);

#ifdef __cplusplus
}
#endif
