// Each simulated machine's default list against the operating points its processor's
// data sheet gives, read as the program reads it: the firmware copy through the driver,
// then the list; and the profiles a fresh install starts with on it.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/settings/app_settings.h"
#include "engine/profiles/default_list.h"
#include "engine/profiles/default_sources.h"
#include "hw/firmware_copy.h"
#include "platform/memory_registry.h"
#include "testing/identified_machine.h"

namespace pacetta {
namespace {

using Points = std::vector<std::pair<uint32_t, uint32_t>>;  // (FID, VID), slowest first

Points PointsOf(const std::vector<PState>& states) {
  Points points;
  for (const PState& state : states) points.emplace_back(state.fid, state.vid);
  return points;
}

std::string Dump(const char* name) {
  return (std::filesystem::path(PACETTA_SOURCE_DIR) / "../shared/cpuid" / name).string();
}

struct MachineCase {
  std::string machine;
  Points expected;
};

// The values in codes; the comments give them as the data sheets do.
std::vector<MachineCase> Machines() {
  return {
      // Athlon 64 3200+ (Venice): 1.0 GHz at 1.10 V, 2.0 GHz at 1.40 V.
      {"k8-desktop", {{0x02, 0x12}, {0x0C, 0x06}}},
      // Turion 64 X2 TL-56: 800 MHz at 0.950 V, 1.8 GHz at 1.125 V (6-bit VIDs).
      {"k8-x2-laptop", {{0x00, 0x18}, {0x0A, 0x11}}},
      // Mobile Athlon XP-M 2500+, from its board's PowerNow! block: 6x at 1.20 V, 14x at
      // 1.45 V (mobile VID table; FID 22 is 14x).
      {"k7-mobile-laptop", {{6, 19}, {22, 11}}},
      // Pentium M 725 (Dothan), VID #A: 0.988 V at 600 MHz up to 1.340 V at 1.6 GHz.
      {"pentium-m-laptop", {{6, 18}, {8, 23}, {10, 27}, {12, 32}, {14, 36}, {16, 40}}},
      // Core Duo T2600: interpolated from 6x at 1.000 V to 13x at 1.2875 V.
      {"core-duo-laptop",
       {{6, 23}, {7, 26}, {8, 30}, {9, 33}, {10, 36}, {11, 39}, {12, 43}, {13, 46}}},
      // Athlon 64 X2 3800+ (Manchester): 1.0 GHz at 1.10 V, 2.0 GHz at 1.35 V.
      {Dump("amd-athlon-64-x2-dual-core-processor-3800+.test"), {{0x02, 0x12}, {0x0C, 0x08}}},
      // Turion 64 ML-34: 800 MHz at 1.00 V, 1.8 GHz at 1.35 V (mobile VIDs).
      {Dump("amd-turion-64-mobile-technology-ml-34.test"), {{0x00, 0x12}, {0x0A, 0x04}}},
      // Mobile Sempron 3300+: 800 MHz at 1.10 V, 2.0 GHz at 1.40 V.
      {Dump("mobile-amd-sempron-processor-3300+.test"), {{0x00, 0x12}, {0x0C, 0x06}}},
      {Dump("amd-athlon-64-processor-3200+.test"), {{0x02, 0x12}, {0x0C, 0x06}}},
      {Dump("intel-pentium-m-processor-1.60ghz.test"),
       {{6, 18}, {8, 23}, {10, 27}, {12, 32}, {14, 36}, {16, 40}}},
      // Transmeta and VIA publish no list: the editor's "Defaults" enables every state.
      {"via-c7", {}},
  };
}

TEST(MachineLists, MatchTheDataSheets) {
  for (const MachineCase& c : Machines()) {
    testing::IdentifiedMachine machine(testing::MachineOptions{.machine = c.machine});
    const std::vector<uint8_t> firmware = CopyFirmwareArea(machine.Driver());
    const DefaultList list = BuildDefaultList(machine.Records().front(), firmware);
    EXPECT_EQ(PointsOf(list.entries), c.expected) << c.machine;
  }
}

TEST(MachineLists, TheK7AndK8BoardsPublishTheirProcessorsOwnStates) {
  // What the firmware alone gives, the fallback when the built-in table has no row.
  const std::pair<const char*, Points> boards[] = {
      {"k8-desktop", {{0x02, 0x12}, {0x0C, 0x06}}},
      {"k8-x2-laptop", {{0x00, 0x18}, {0x0A, 0x11}}},
      {"k7-mobile-laptop", {{6, 19}, {22, 11}}},
  };
  for (const auto& [name, expected] : boards) {
    testing::IdentifiedMachine machine(testing::MachineOptions{.machine = name});
    const std::vector<uint8_t> firmware = CopyFirmwareArea(machine.Driver());
    ASSERT_EQ(firmware.size(), 0x10000u) << name;
    const auto states = FindFirmwareStates(firmware);
    ASSERT_TRUE(states) << name;
    EXPECT_EQ(PointsOf(*states), expected) << name;
  }
  testing::IdentifiedMachine intel(testing::MachineOptions{.machine = "core2-duo-laptop"});
  EXPECT_TRUE(CopyFirmwareArea(intel.Driver()).empty()) << "nothing mapped, nothing copied";
}

// The rows a half lists, as their FIDs.
std::vector<uint32_t> Ticked(const ProfileHalf& half, const PStateTable& table) {
  std::vector<uint32_t> fids;
  for (int32_t i = 0; i <= half.lastState; ++i)
    fids.push_back(table.rows[static_cast<size_t>(half.states[static_cast<size_t>(i)])].fid);
  return fids;
}

TEST(FreshInstall, ManagesFromTheDefaultsAndLeavesStoredProfilesAlone) {
  testing::IdentifiedMachine machine(testing::MachineOptions{.machine = "k8-x2-laptop"});
  const CpuInfo& cpu = machine.Records().front();
  const DefaultList list = BuildDefaultList(cpu, CopyFirmwareArea(machine.Driver()));
  SettingsMachine view{cpu};
  view.defaultList = &list;
  const std::array<std::string, 4> names = {"No management", "Power saving", "Maximal performance",
                                            "Performance on demand"};

  platform::MemoryRegistry fresh;
  AppSettings settings(view);
  settings.Load(fresh, view, names);
  const ProfileStore& store = settings.profiles;
  // The table as the editor's "Defaults" gives it: 800 MHz and 1.8 GHz at their voltages.
  ASSERT_EQ(store.Table().Count(), 4);
  EXPECT_EQ(store.Table().rows[0].vid, 0x18u);
  EXPECT_EQ(store.Table().rows[3].vid, 0x11u);
  EXPECT_EQ(store.Table().rows[1].enabled + store.Table().rows[2].enabled, 0u);
  const std::pair<int32_t, std::vector<uint32_t>> expected[] = {
      {kNoManagementProfile, {}},
      {kPowerSavingProfile, {0x00}},
      {kMaximalPerformanceProfile, {0x0A}},
      {kOnDemandProfile, {0x00, 0x0A}},
  };
  for (const auto& [index, fids] : expected) {
    for (const ProfileHalf* half : {&store.At(index)->ac, &store.At(index)->dc}) {
      EXPECT_EQ(Ticked(*half, store.Table()), fids) << index;
      EXPECT_EQ(IsManaged(*half), !fids.empty()) << index;
    }
  }
  // Its thresholds are derived: from 4x, 9x is justified at round(50 x 9 / 4) = 113 %,
  // above the highest up threshold.
  EXPECT_EQ(store.At(kOnDemandProfile)->ac.thresholds[0][1], 98);

  // Stored profiles are what the user made of them: kept as they are.
  platform::MemoryRegistry user;
  AppSettings first(view);
  first.Load(user, view, names);
  first.profiles.At(kOnDemandProfile)->ac.lastState = -1;
  ASSERT_TRUE(first.Save(user, SettingsSaveContext{cpu, true}));
  AppSettings again(view);
  again.Load(user, view, names);
  EXPECT_EQ(again.profiles.At(kOnDemandProfile)->ac.lastState, -1);
  EXPECT_EQ(Ticked(again.profiles.At(kOnDemandProfile)->dc, again.profiles.Table()),
            (std::vector<uint32_t>{0x00, 0x0A}));
}

}  // namespace
}  // namespace pacetta
