#include "platform/linux/file_registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

constexpr const char* kKey = "Software\\Norvane\\Pacetta";

std::string ReadAll(const std::string& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(FileRegistry, ValuesSurviveAReopenWithTheirTypes) {
  testing::TempFolder folder;
  const std::string path = folder.File("cfg/pacetta/settings.json");
  {
    FileRegistry registry(path);
    auto key = registry.OpenUserKey(kKey, true);
    ASSERT_TRUE(key);
    key->WriteDword("RefreshInterval", 500);
    key->WriteDword("IntelCore2.CpuType", static_cast<uint32_t>(-1));
    key->WriteBinary("CpuTempOffset", {0x05, 0xFB});
    key->WriteBinary("Empty", {});
    EXPECT_TRUE(key->Flush());
  }
  FileRegistry again(path);
  EXPECT_FALSE(again.DamageNotice());
  auto key = again.OpenUserKey("software\\norvane\\PACETTA", false);  // any case
  ASSERT_TRUE(key);
  EXPECT_EQ(key->ReadDword("refreshinterval"), 500u);
  EXPECT_EQ(static_cast<int32_t>(*key->ReadDword("IntelCore2.CpuType")), -1);
  EXPECT_EQ(key->ReadBinary("CpuTempOffset"), (std::vector<uint8_t>{0x05, 0xFB}));
  EXPECT_EQ(key->ReadBinary("Empty"), std::vector<uint8_t>{});
  // A value of the other type reads as missing, as the registry's typed reads do.
  EXPECT_FALSE(key->ReadBinary("RefreshInterval"));
  EXPECT_FALSE(key->ReadDword("CpuTempOffset"));
  EXPECT_FALSE(again.OpenUserKey("Software\\Other", false));
}

TEST(FileRegistry, DamagedFileIsKeptAsideAndReportedOnce) {
  testing::TempFolder folder;
  const std::string path = folder.File("settings.json");
  for (const char* damage :
       {"{not json", "[1,2]", R"({"format":"pacetta-settings","keys":{"K":{"V":"text"}}})",
        R"({"format":"pacetta-settings","keys":{"K":{"V":{"binary":"ABC"}}}})",
        R"({"format":"pacetta-settings","keys":{"K":{"V":99999999999}}})",
        R"({"format":"pacetta-settings","keys":{"K":{"V":18446744073709551615}}})",
        R"({"format":"pacetta-settings","keys":{"K":{"V":{"binary":"-1 F"}}}})"}) {
    std::ofstream(path) << damage;
    FileRegistry registry(path);
    auto notice = registry.DamageNotice();
    ASSERT_TRUE(notice) << damage;
    EXPECT_NE(notice->find(path + ".damaged"), std::string::npos);
    EXPECT_FALSE(registry.DamageNotice());
    EXPECT_EQ(ReadAll(path + ".damaged"), damage);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(registry.OpenUserKey("K", false));
  }
}

TEST(FileRegistry, AFailedSaveLeavesThePreviousFileWhole) {
  testing::TempFolder folder;
  const std::string path = folder.File("settings.json");
  {
    FileRegistry registry(path);
    registry.OpenUserKey(kKey, true)->WriteDword("A", 1);
  }
  const std::string before = ReadAll(path);
  // The temporary file cannot be created (a folder holds its name), as on a full or
  // read-only disk: the save fails and says so.
  std::filesystem::create_directory(path + ".tmp-" + std::to_string(getpid()));
  {
    FileRegistry registry(path);
    auto key = registry.OpenUserKey(kKey, true);
    key->WriteDword("A", 2);
    EXPECT_FALSE(key->Flush());
  }
  EXPECT_EQ(ReadAll(path), before);
}

TEST(FileRegistry, AnInterruptedSaveLeavesTheOldOrTheNewFile) {
  testing::TempFolder folder;
  const std::string path = folder.File("settings.json");
  {
    FileRegistry registry(path);
    registry.OpenUserKey(kKey, true)->WriteDword("A", 1);
  }
  // A save that died after writing part of its temporary file: the real file is intact
  // and the leftover is ignored by the next start.
  std::ofstream(path + ".tmp-12345") << "{\"format\": \"pacetta-se";
  FileRegistry registry(path);
  EXPECT_FALSE(registry.DamageNotice());
  EXPECT_EQ(registry.OpenUserKey(kKey, false)->ReadDword("A"), 1u);
}

}  // namespace
}  // namespace pacetta::linux_os
