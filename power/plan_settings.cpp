#include "power/plan_settings.h"

#include "platform/plan_guid.h"

namespace pacetta::power {
namespace {

struct SettingText {
  const char* subgroup;
  const char* setting;
};

constexpr SettingText kSettings[kPlanSettingCount] = {
    {"0012ee47-9041-4b5d-9b77-535fba8b1442", "6738e2c4-e8a5-4a42-b16a-e040e769756e"},
    {"19cbb8fa-5279-450e-9fac-8a3d5fedd0c1", "12bbebe6-58d6-4636-95bb-3217ef867c1a"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "25dfa149-5dd1-4736-b5ab-e8a37b5b8187"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "29f6c1db-86da-48c5-9fdb-f2b67b1f44da"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "81cd32e0-7833-44f3-8737-7081f38d1f70"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "94ac6d29-73ce-41a6-809f-6363ba21b47e"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "9d7815a6-7ee4-497e-8888-515a05f02364"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "abfc2519-3608-4c2a-94ea-171b0ed546ab"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "b7a27025-e569-46c2-a504-2b96cad225a1"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "bd3b718a-0680-4d9d-8ab2-e1d2b4ac806d"},
    {"2a737441-1930-4402-8d77-b2bebba308a3", "48e6b7a6-50f5-4782-a5d4-53bb8f07e226"},
    {"4f971e89-eebd-4455-a8de-9e59040e7347", "5ca83367-6e45-459f-a27b-476b1d01c936"},
    {"4f971e89-eebd-4455-a8de-9e59040e7347", "7648efa3-dd9c-4e3e-b566-50f929386280"},
    {"4f971e89-eebd-4455-a8de-9e59040e7347", "96996bc0-ad50-47ec-923b-6f41874dd9eb"},
    {"4f971e89-eebd-4455-a8de-9e59040e7347", "a7066653-8d6c-40a8-910e-a1f54b84c7e5"},
    {"501a4d13-42af-4429-9fd1-a8218c268e20", "ee12f906-d277-404b-b6da-e5fa1a576df5"},
    {"54533251-82be-4824-96c1-47b60b740d00", "68f262a7-f621-4069-b9a5-4874169be23c"},
    {"54533251-82be-4824-96c1-47b60b740d00", "893dee8e-2bef-41e0-89c6-b55d0929964c"},
    {"54533251-82be-4824-96c1-47b60b740d00", "bbdc3814-18e9-4463-8a55-d197327c45c0"},
    {"54533251-82be-4824-96c1-47b60b740d00", "bc5038f7-23e0-4960-96da-33abaf5935ec"},
    {"581a5406-53a3-4acd-af43-f685fa098e06", "c1dd9fd6-ff5b-4270-8ab6-d48f1c40506a"},
    {"7516b95f-f776-4464-8c53-06167f40cc99", "3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e"},
    {"7516b95f-f776-4464-8c53-06167f40cc99", "90959d22-d6a1-49b9-af93-bce885ad335b"},
    {"7516b95f-f776-4464-8c53-06167f40cc99", "aded5e82-b909-4619-9949-f5d71dac0bcb"},
    {"9596fb26-9850-41fd-ac3e-f7c3c00afd4b", "03680956-93bc-4294-bba6-4e0f09bb717f"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "637ea02f-bbcb-4015-8e2c-a1c7b9c0b546"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "8183ba9a-e910-48da-8769-14ae6dc1170a"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "9a66d8d7-4ff7-4ef9-b5a2-5a326ca2a469"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "bcded951-187b-4d05-bccc-f7e51960c258"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "d8742dcb-3e6a-4b3c-b3fe-374623cdcf06"},
};

std::array<platform::PlanSettingId, kPlanSettingCount> ParseSettings() {
  std::array<platform::PlanSettingId, kPlanSettingCount> ids{};
  for (size_t i = 0; i < kPlanSettingCount; ++i) {
    ids[i] = {*platform::ParsePlanGuid(kSettings[i].subgroup),
              *platform::ParsePlanGuid(kSettings[i].setting)};
  }
  return ids;
}

}  // namespace

const std::array<platform::PlanSettingId, kPlanSettingCount>& PlanSettings() {
  static const auto ids = ParseSettings();
  return ids;
}

const platform::PlanGuid& HighPerformancePlan() {
  static const auto guid = *platform::ParsePlanGuid("8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c");
  return guid;
}

void PackPlanSettings(const PlanSettingValues& values, std::span<uint8_t, kPlanSettingsSize> out) {
  size_t at = 0;
  for (const auto& four : values) {
    for (uint32_t value : four) {
      for (size_t b = 0; b < 4; ++b) out[at++] = static_cast<uint8_t>(value >> (8 * b));
    }
  }
}

PlanSettingValues UnpackPlanSettings(std::span<const uint8_t, kPlanSettingsSize> bytes) {
  PlanSettingValues values{};
  size_t at = 0;
  for (auto& four : values) {
    for (uint32_t& value : four) {
      value = 0;
      for (size_t b = 0; b < 4; ++b) value |= static_cast<uint32_t>(bytes[at++]) << (8 * b);
    }
  }
  return values;
}

}  // namespace pacetta::power
