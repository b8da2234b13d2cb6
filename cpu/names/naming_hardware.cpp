#include "cpu/names/naming_hardware.h"

#include "hw/k8_northbridge_devfn.h"

namespace pacetta {

std::optional<uint32_t> DriverNamingHardware::ReadMsrLow(uint32_t index) {
  MsrRequest request;
  if (!driver_.ReadMsrValue(request, index)) return std::nullopt;
  return request.low;
}

uint32_t DriverNamingHardware::ReadPciDword(PciLocation location, uint32_t reg) {
  if (northbridge_ != nullptr && location.bus == 0) {
    for (uint32_t node = 0; node < 8; ++node) {
      if (NorthbridgeDevfn(node, kK8MiscControlFunction) == location.devfn)
        return northbridge_->ReadDword(node, reg);
    }
  }
  return pci_.ReadConfigDword(location, reg);
}

}  // namespace pacetta
