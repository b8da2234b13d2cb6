#include "hw/hardware_switches.h"

#include <gtest/gtest.h>

#include <map>

namespace pacetta {
namespace {

class StoredKey : public platform::RegistryKey {
 public:
  std::map<std::string, uint32_t> dwords;
  std::map<std::string, std::vector<uint8_t>> binaries;

  std::optional<uint32_t> ReadDword(const std::string& name) override {
    const auto found = dwords.find(name);
    return found == dwords.end() ? std::nullopt : std::optional(found->second);
  }
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) override {
    const auto found = binaries.find(name);
    return found == binaries.end() ? std::nullopt : std::optional(found->second);
  }
  bool WriteDword(const std::string&, uint32_t) override { return false; }
  bool WriteBinary(const std::string&, const std::vector<uint8_t>&) override { return false; }
  bool DeleteValue(const std::string&) override { return false; }
  bool Flush() override { return false; }
};

TEST(HardwareSwitches, MissingValuesKeepTheirDefaults) {
  StoredKey key;
  const HardwareSwitches switches = ReadHardwareSwitches(key);
  EXPECT_EQ(switches.use8254, 0);
  EXPECT_EQ(switches.unlockEist, 0);
  EXPECT_EQ(switches.intelCore2CpuType, -1);
}

TEST(HardwareSwitches, StoredValuesAreReadUnderTheirNames) {
  StoredKey key;
  key.dwords = {{"Use8254", 1},           {"DiscardKernelCpuUsage", 1},
                {"AMDK7.DesktopVids", 1}, {"UnlockFid", 1},
                {"UnlockVid", 1},         {"UnlockTM2", 1},
                {"UnlockEIST", 1},        {"IntelCore2.CpuType", 1}};
  const HardwareSwitches s = ReadHardwareSwitches(key);
  EXPECT_EQ(s.use8254 + s.discardKernelCpuUsage + s.amdK7DesktopVids + s.unlockFid + s.unlockVid +
                s.unlockTm2 + s.unlockEist + s.intelCore2CpuType,
            8);
}

TEST(HardwareSwitches, Core2TypeOutsideMinusOneToOneMeansDetect) {
  for (const auto& [stored, read] : std::vector<std::pair<uint32_t, int32_t>>{
           {0, 0}, {1, 1}, {0xFFFFFFFFu, -1}, {2, -1}, {0xFFFFFFFEu, -1}}) {
    StoredKey key;
    key.dwords["IntelCore2.CpuType"] = stored;
    EXPECT_EQ(ReadHardwareSwitches(key).intelCore2CpuType, read) << stored;
  }
}

TEST(TempOffsets, LaterProcessorsRepeatTheLastStoredByte) {
  StoredKey key;
  key.binaries["CpuTempOffset"] = {0x05, 0xFE};
  const auto offsets = ReadTempOffsets(key);
  EXPECT_EQ(TempOffsetFor(offsets, 0), 5);
  EXPECT_EQ(TempOffsetFor(offsets, 1), -2);
  EXPECT_EQ(TempOffsetFor(offsets, 2), -2);
  EXPECT_EQ(TempOffsetFor(offsets, 3), -2);
}

TEST(TempOffsets, NoStoredBytesGiveEveryProcessorZero) {
  StoredKey key;
  EXPECT_EQ(TempOffsetFor(ReadTempOffsets(key), 4), 0);
  key.binaries["CpuTempOffset"] = {};
  EXPECT_EQ(TempOffsetFor(ReadTempOffsets(key), 0), 0);
}

TEST(TempOffsets, OnlyThirtyTwoBytesAreKept) {
  StoredKey key;
  key.binaries["CpuTempOffset"] = std::vector<uint8_t>(40, 1);
  EXPECT_EQ(ReadTempOffsets(key).size(), kMaxProcessors);
}

}  // namespace
}  // namespace pacetta
