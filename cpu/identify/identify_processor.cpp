#include "cpu/identify/identify_processor.h"

#include "cpu/identify/cache_description.h"
#include "cpu/identify/core2_type.h"
#include "cpu/identify/family_flags.h"
#include "cpu/identify/leaves.h"
#include "hw/pinning.h"

namespace pacetta {

void IdentifyProcessor(CpuInfo& info, IdentifyContext& context) {
  PinToProcessor(context.processors, info.index);
  ReadIdentificationLeaves(info, context.cpu);
  DescribeCaches(info, context.cpu);
  ClassifyFamily(info);
  DetectCore2Type(info, context.driver);

  if (context.completion == nullptr) return;
  context.completion->ReadPerformanceStates(info);
  // Reading the states may have moved the thread; preparation acts on this processor.
  PinToProcessor(context.processors, info.index);
  context.completion->PrepareProcessor(info);
}

}  // namespace pacetta
