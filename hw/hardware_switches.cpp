#include "hw/hardware_switches.h"

#include <string>

namespace pacetta {

namespace {

void ReadSigned(platform::RegistryKey& key, const std::string& name, int32_t& field) {
  if (const auto value = key.ReadDword(name)) field = static_cast<int32_t>(*value);
}

}  // namespace

HardwareSwitches ReadHardwareSwitches(platform::RegistryKey& key) {
  HardwareSwitches switches;
  ReadSigned(key, "Use8254", switches.use8254);
  ReadSigned(key, "DiscardKernelCpuUsage", switches.discardKernelCpuUsage);
  ReadSigned(key, "AMDK7.DesktopVids", switches.amdK7DesktopVids);
  ReadSigned(key, "IntelCore2.CpuType", switches.intelCore2CpuType);
  ReadSigned(key, "UnlockFid", switches.unlockFid);
  ReadSigned(key, "UnlockVid", switches.unlockVid);
  ReadSigned(key, "UnlockTM2", switches.unlockTm2);
  ReadSigned(key, "UnlockEIST", switches.unlockEist);
  if (switches.intelCore2CpuType < -1 || switches.intelCore2CpuType > 1)
    switches.intelCore2CpuType = -1;
  return switches;
}

std::vector<uint8_t> ReadTempOffsets(platform::RegistryKey& key) {
  auto bytes = key.ReadBinary("CpuTempOffset").value_or(std::vector<uint8_t>{});
  if (bytes.size() > kMaxProcessors) bytes.resize(kMaxProcessors);
  return bytes;
}

int8_t TempOffsetFor(const std::vector<uint8_t>& offsets, unsigned k) {
  // An empty value has no last byte to repeat: every processor takes 0.
  if (offsets.empty()) return 0;
  return static_cast<int8_t>(k < offsets.size() ? offsets[k] : offsets.back());
}

}  // namespace pacetta
