#include "platform/sim/catalogue/firmware_area.h"

#include <cstring>

#include "platform/sim/models/power_on_data.h"
#include "platform/sim/models/processor_traits.h"

namespace pacetta::sim {
namespace {

constexpr size_t kAreaSize = 0x10000;
// Where the block lies: any paragraph of the area will do, as on real boards.
constexpr size_t kBlockOffset = 0xA6D0;
constexpr char kSignature[] = "AMDK7PNOW!";

// A little-endian field of `size` bytes at `at`.
void Put(std::vector<uint8_t>& area, size_t at, uint32_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) area[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The header shared by both table versions: signature, version, and (at offset 23) the
// first processor entry's state count followed by its FID/VID pairs.
//  K7 (version 12h): flags, settling time (2 bytes, microseconds), reserved, number of
//    processor entries; entry: CPUID signature (4), bus clock (MHz), highest FID, start
//    VID, state count.
//  K8 (version 14h): flags, voltage stabilisation time (2 bytes, 20 us units), flags,
//    number of entries; entry: CPUID signature (4), PLL lock time (us), highest FID,
//    highest VID, state count.
void PutBlock(std::vector<uint8_t>& area, const ProcessorTraits& traits, const PowerOnData& data) {
  const size_t at = kBlockOffset;
  std::memcpy(area.data() + at, kSignature, sizeof kSignature - 1);
  const bool k8 = traits.family == ModelFamily::kAmdK8;
  area[at + 10] = k8 ? 0x14 : 0x12;
  area[at + 11] = 0;
  Put(area, at + 12, k8 ? 5 : 100, 2);
  area[at + 14] = 0;
  area[at + 15] = 1;
  Put(area, at + 16, traits.signature, 4);
  area[at + 20] = static_cast<uint8_t>(k8 ? 2 : (data.k7BusMhz > 0 ? data.k7BusMhz + 0.5 : 133));
  area[at + 21] = static_cast<uint8_t>(data.high.fid);
  area[at + 22] = static_cast<uint8_t>(data.high.vid);
  area[at + 23] = 2;
  area[at + 24] = static_cast<uint8_t>(data.low.fid);
  area[at + 25] = static_cast<uint8_t>(data.low.vid);
  area[at + 26] = static_cast<uint8_t>(data.high.fid);
  area[at + 27] = static_cast<uint8_t>(data.high.vid);
}

// The top paragraph: a far jump to the BIOS entry at F000:E05B, the release date, the
// PC/AT model byte.
void PutResetVector(std::vector<uint8_t>& area) {
  const uint8_t jump[] = {0xEA, 0x5B, 0xE0, 0x00, 0xF0};
  std::memcpy(area.data() + 0xFFF0, jump, sizeof jump);
  std::memcpy(area.data() + 0xFFF5, "06/15/06", 8);
  area[0xFFFE] = 0xFC;
}

}  // namespace

std::vector<uint8_t> PowerNowFirmwareArea(const MachineSpec& machine) {
  if (machine.processors.empty()) return {};
  const ProcessorTraits traits = ClassifyProcessor(machine.processors.front().leaves);
  if (traits.family != ModelFamily::kAmdK7 && traits.family != ModelFamily::kAmdK8) return {};
  if (!traits.fidVidControl) return {};
  // Unused firmware space reads as erased flash.
  std::vector<uint8_t> area(kAreaSize, 0xFF);
  PutBlock(area, traits, PowerOnDataFor(traits));
  PutResetVector(area);
  return area;
}

}  // namespace pacetta::sim
