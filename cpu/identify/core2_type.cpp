#include "cpu/identify/core2_type.h"

#include "cpu/identify/bits.h"

namespace pacetta {

int32_t Core2TypeFromBusCode(uint32_t busCode) {
  return busCode == 1 || busCode == 3 || busCode == 5 ? 1 : 0;
}

void DetectCore2Type(CpuInfo& info, CPortexDriver& driver) {
  if (!info.isCore2 || info.switches.intelCore2CpuType != -1) return;
  MsrRequest request;
  driver.ReadMsrValue(request, kMsrFsbFrequency);
  info.switches.intelCore2CpuType = Core2TypeFromBusCode(identify::Bits(request.low, 2, 0));
}

}  // namespace pacetta
