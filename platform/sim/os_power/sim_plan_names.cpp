#include "platform/sim/os_power/sim_plan_names.h"

#include <array>

#include "platform/plan_guid.h"

namespace pacetta::sim {
namespace {

struct SubgroupEntry {
  const char* guid;
  const char* name;
};

constexpr SubgroupEntry kSubgroups[] = {
    {"0012ee47-9041-4b5d-9b77-535fba8b1442", "Hard disk"},
    {"19cbb8fa-5279-450e-9fac-8a3d5fedd0c1", "Wireless adapter settings"},
    {"238c9fa8-0aad-41ed-83f4-97be242c8f20", "Sleep"},
    {"2a737441-1930-4402-8d77-b2bebba308a3", "USB settings"},
    {"4f971e89-eebd-4455-a8de-9e59040e7347", "Power buttons and lid"},
    {"501a4d13-42af-4429-9fd1-a8218c268e20", "PCI Express"},
    {"54533251-82be-4824-96c1-47b60b740d00", "Processor power management"},
    {"581a5406-53a3-4acd-af43-f685fa098e06", "Search and indexing"},
    {"7516b95f-f776-4464-8c53-06167f40cc99", "Display"},
    {"9596fb26-9850-41fd-ac3e-f7c3c00afd4b", "Multimedia settings"},
    {"e73a048d-bf27-4f12-9731-8b2076e8891f", "Battery"},
};

enum class Kind { kSeconds, kPercent, kNumber, kChoice };

struct SettingEntry {
  const char* guid;
  const char* name;
  Kind kind;
  std::array<const char*, 4> choices;  // kChoice only, unused entries null
};

// The choices several settings share.
#define PACETTA_OFF_ON \
  { "Off", "On" }
#define PACETTA_ACTIONS \
  { "Do nothing", "Sleep", "Hibernate", "Shut down" }

constexpr SettingEntry kSettings[] = {
    {"6738e2c4-e8a5-4a42-b16a-e040e769756e", "Turn off hard disk after", Kind::kSeconds, {}},
    {"12bbebe6-58d6-4636-95bb-3217ef867c1a",
     "Power saving mode",
     Kind::kChoice,
     {"Maximum performance", "Low power saving", "Medium power saving", "Maximum power saving"}},
    {"25dfa149-5dd1-4736-b5ab-e8a37b5b8187", "Allow away mode", Kind::kChoice, PACETTA_OFF_ON},
    {"29f6c1db-86da-48c5-9fdb-f2b67b1f44da", "Sleep after", Kind::kSeconds, {}},
    {"81cd32e0-7833-44f3-8737-7081f38d1f70", "Sleep idle threshold", Kind::kPercent, {}},
    {"94ac6d29-73ce-41a6-809f-6363ba21b47e", "Allow hybrid sleep", Kind::kChoice, PACETTA_OFF_ON},
    {"9d7815a6-7ee4-497e-8888-515a05f02364", "Hibernate after", Kind::kSeconds, {}},
    {"abfc2519-3608-4c2a-94ea-171b0ed546ab", "Allow standby states", Kind::kChoice, PACETTA_OFF_ON},
    {"b7a27025-e569-46c2-a504-2b96cad225a1", "Critical sleep transitions", Kind::kChoice,
     PACETTA_OFF_ON},
    {"bd3b718a-0680-4d9d-8ab2-e1d2b4ac806d",
     "Allow wake timers",
     Kind::kChoice,
     {"Disable", "Enable"}},
    {"48e6b7a6-50f5-4782-a5d4-53bb8f07e226",
     "USB selective suspend setting",
     Kind::kChoice,
     {"Disabled", "Enabled"}},
    {"5ca83367-6e45-459f-a27b-476b1d01c936", "Lid close action", Kind::kChoice, PACETTA_ACTIONS},
    {"7648efa3-dd9c-4e3e-b566-50f929386280", "Power button action", Kind::kChoice, PACETTA_ACTIONS},
    {"96996bc0-ad50-47ec-923b-6f41874dd9eb", "Sleep button action", Kind::kChoice, PACETTA_ACTIONS},
    {"a7066653-8d6c-40a8-910e-a1f54b84c7e5",
     "Start menu power button",
     Kind::kChoice,
     {"Sleep", "Hibernate", "Shut down"}},
    {"ee12f906-d277-404b-b6da-e5fa1a576df5",
     "Link state power management",
     Kind::kChoice,
     {"Off", "Moderate power savings", "Maximum power savings"}},
    {"68f262a7-f621-4069-b9a5-4874169be23c", "Processor idle state policy", Kind::kNumber, {}},
    {"893dee8e-2bef-41e0-89c6-b55d0929964c", "Minimum processor state", Kind::kPercent, {}},
    {"bbdc3814-18e9-4463-8a55-d197327c45c0",
     "Processor performance state policy",
     Kind::kNumber,
     {}},
    {"bc5038f7-23e0-4960-96da-33abaf5935ec", "Maximum processor state", Kind::kPercent, {}},
    {"c1dd9fd6-ff5b-4270-8ab6-d48f1c40506a",
     "Power saving mode",
     Kind::kChoice,
     {"Power saver", "Balanced", "High performance"}},
    {"3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e", "Turn off display after", Kind::kSeconds, {}},
    {"90959d22-d6a1-49b9-af93-bce885ad335b", "Adaptive display", Kind::kChoice, PACETTA_OFF_ON},
    {"aded5e82-b909-4619-9949-f5d71dac0bcb", "Display brightness", Kind::kPercent, {}},
    {"03680956-93bc-4294-bba6-4e0f09bb717f",
     "When sharing media",
     Kind::kChoice,
     {"Allow the computer to sleep", "Prevent idling to sleep",
      "Allow the computer to enter away mode"}},
    {"637ea02f-bbcb-4015-8e2c-a1c7b9c0b546", "Critical battery action", Kind::kChoice,
     PACETTA_ACTIONS},
    {"8183ba9a-e910-48da-8769-14ae6dc1170a", "Low battery level", Kind::kPercent, {}},
    {"9a66d8d7-4ff7-4ef9-b5a2-5a326ca2a469", "Critical battery level", Kind::kPercent, {}},
    {"bcded951-187b-4d05-bccc-f7e51960c258", "Low battery notification", Kind::kChoice,
     PACETTA_OFF_ON},
    {"d8742dcb-3e6a-4b3c-b3fe-374623cdcf06", "Low battery action", Kind::kChoice, PACETTA_ACTIONS},
};

#undef PACETTA_OFF_ON
#undef PACETTA_ACTIONS

platform::PlanSettingInfo InfoOf(const SettingEntry& entry) {
  platform::PlanSettingInfo info;
  info.name = entry.name;
  switch (entry.kind) {
    case Kind::kSeconds:
      info.unit = "seconds";
      break;
    case Kind::kPercent:
      info.unit = "%";
      info.maximum = 100;
      break;
    case Kind::kNumber:
      break;
    case Kind::kChoice:
      for (const char* choice : entry.choices) {
        if (choice != nullptr) info.possibleValues.emplace_back(choice);
      }
      info.maximum = static_cast<uint32_t>(info.possibleValues.size() - 1);
      break;
  }
  return info;
}

}  // namespace

std::optional<std::string> SimSubgroupName(const platform::PlanGuid& subgroup) {
  const std::string text = platform::FormatPlanGuid(subgroup);
  for (const SubgroupEntry& entry : kSubgroups) {
    if (text == entry.guid) return std::string(entry.name);
  }
  return std::nullopt;
}

std::optional<platform::PlanSettingInfo> SimSettingInfo(const platform::PlanSettingId& setting) {
  // Settings are known under a subgroup the system defines.
  if (!SimSubgroupName(setting.subgroup)) return std::nullopt;
  const std::string text = platform::FormatPlanGuid(setting.setting);
  for (const SettingEntry& entry : kSettings) {
    if (text == entry.guid) return InfoOf(entry);
  }
  return std::nullopt;
}

}  // namespace pacetta::sim
