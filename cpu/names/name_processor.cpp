#include "cpu/names/family_names.h"
#include "cpu/names/logo_ids.h"
#include "cpu/names/processor_names.h"

namespace pacetta {

namespace {

using names::NameFields;
using names::ProcessorFacts;

int NameAmd(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
            NameFields& fields) {
  switch (facts.family) {
    case 6:
      return names::NameAmdK7(cpu, facts, hardware, fields);
    case 15:
      return cpu.isK8Npt ? names::NameAmdK8Npt(cpu, facts, hardware, fields)
                         : names::NameAmdK8(facts, fields);
    case 16:
      return names::NameAmdFamily16(cpu, facts, fields);
    default:
      return logo::kUnknown;
  }
}

int NameIntel(const CpuInfo& cpu, const ProcessorFacts& facts, NamingHardware& hardware,
              NameFields& fields) {
  switch (facts.family) {
    case 6:
      return names::NameIntelFamily6(cpu, facts, hardware, fields);
    case 15:
      return names::NameIntelFamily15(cpu, facts, hardware, fields);
    default:
      return logo::kUnknown;
  }
}

}  // namespace

int NameProcessor(const CpuInfo& cpu, NamingHardware& hardware, ModelText& model, CoreText& core,
                  RevisionText& revision) {
  model = kUnknownModel;
  core = kUnknownCore;
  revision = kUnknownRevision;
  const ProcessorFacts facts = names::FactsOf(cpu);
  NameFields fields{model, core, revision};
  switch (facts.vendor) {
    case VendorCode::kAmd:
      return NameAmd(cpu, facts, hardware, fields);
    case VendorCode::kIntel:
      return NameIntel(cpu, facts, hardware, fields);
    case VendorCode::kTransmeta:
      return names::NameTransmeta(facts, hardware, fields);
    case VendorCode::kVia:
      return names::NameVia(facts, fields);
    case VendorCode::kOther:
      break;
  }
  return logo::kUnknown;
}

}  // namespace pacetta
