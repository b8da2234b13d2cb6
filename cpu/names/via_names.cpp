// VIA family 6: the C3 generations (C5A..C5P cores) and the C7 (C5J, Esther).
#include "cpu/names/family_names.h"
#include "cpu/names/logo_ids.h"

namespace pacetta::names {

int NameVia(const ProcessorFacts& facts, NameFields& fields) {
  if (facts.family != 6) return logo::kUnknown;
  const bool early = facts.stepping < 8;
  switch (facts.model) {
    case 6:
      fields.model = "VIA C3";
      fields.core = "Samuel";
      fields.revision = "C5A";
      return logo::kViaC3;
    case 7:
      // Stepping 8 on is the Ezra die shrink of the same model.
      fields.model = "VIA C3";
      fields.core = early ? "Samuel 2" : "Ezra";
      fields.revision = early ? "C5B" : "C5C";
      return logo::kViaC3;
    case 8:
      fields.model = "VIA C3";
      fields.core = "Ezra-T";
      fields.revision = "C5N";
      return logo::kViaC3;
    case 9:
      fields.model = "VIA C3/Antaur";
      fields.core = "Nehemiah";
      fields.revision = early ? "C5XL" : "C5P";
      return logo::kViaC3;
    case 10:
      fields.model = "VIA C7/C7-M";
      fields.core = "Esther";
      fields.revision = "C5J";
      return logo::kViaC7;
    default:
      return logo::kUnknown;
  }
}

}  // namespace pacetta::names
