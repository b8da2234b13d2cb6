#pragma once
#include "cpu/names/name_facts.h"

// Intel's 8-bit brand ids fall into a few classes of product; the brand string's words
// say the same for parts whose brand id is 0.
namespace pacetta::names {

struct IntelBrand {
  bool mobilePentium = false;
  bool mobileCeleron = false;
  bool celeron = false;    // the brand id's class, or "celeron" in the brand string
  bool celeronId = false;  // the brand id's class alone
  bool pentium3M = false;
  bool xeon = false;
  bool xeonMp = false;
};

IntelBrand IntelBrandOf(const ProcessorFacts& facts);

}  // namespace pacetta::names
