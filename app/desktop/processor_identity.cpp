#include "app/desktop/processor_identity.h"

#include "cpu/identify/brand.h"
#include "cpu/names/processor_names.h"
#include "hw/pinning.h"

namespace pacetta {
namespace {

// The name tables know the processors the program has family rules for. Any other
// processor still names itself in its brand string, which says more than "Unknown Model".
std::string ModelName(const CpuInfo& record, const ModelText& named) {
  std::array<char, kBrandStringSize> brand{};
  if (named.Str() != kUnknownModel || !GetBrandString(record, brand)) return named.Str();
  std::string text(brand.data());
  const size_t first = text.find_first_not_of(' ');
  const size_t last = text.find_last_not_of(' ');
  return first == std::string::npos ? named.Str() : text.substr(first, last - first + 1);
}

}  // namespace

std::vector<ProcessorIdentity> IdentifyForDisplay(std::span<const CpuInfo> records,
                                                  platform::Processors& processors,
                                                  platform::CpuInstructions& cpu,
                                                  NamingHardware& naming) {
  std::vector<ProcessorIdentity> identities;
  identities.reserve(records.size());
  for (const CpuInfo& record : records) {
    PinToProcessor(processors, record.index);
    ModelText model;
    CoreText core;
    RevisionText revision;
    ProcessorIdentity identity;
    identity.logo = NameProcessor(record, naming, model, core, revision);
    identity.model = ModelName(record, model);
    identity.core = core.Str();
    identity.revision = revision.Str();
    identity.features = GetFeatureLabels(record, cpu);
    identities.push_back(std::move(identity));
  }
  if (!records.empty()) UnpinThread(processors);
  return identities;
}

}  // namespace pacetta
