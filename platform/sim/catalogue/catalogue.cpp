#include "platform/sim/catalogue/catalogue.h"

#include <iterator>

#include "platform/sim/catalogue/chipsets.h"
#include "platform/sim/catalogue/composed_processors.h"
#include "platform/sim/catalogue/embedded_files.h"
#include "platform/sim/catalogue/firmware_area.h"
#include "platform/sim/catalogue/modern_machines.h"
#include "platform/sim/machine/machine_file.h"

namespace pacetta::sim {
namespace {

constexpr platform::OsVersion kWindows2000{5, 0, 2195, platform::kPlatformNt};
constexpr platform::OsVersion kWindowsXp{5, 1, 2600, platform::kPlatformNt};
constexpr platform::OsVersion kWindowsXp64{5, 2, 3790, platform::kPlatformNt};
constexpr platform::OsVersion kWindowsVistaSp1{6, 0, 6001, platform::kPlatformNt};
constexpr platform::OsVersion kWindows10{10, 0, 19045, platform::kPlatformNt};

struct Recipe {
  const char* name;
  const char* description;
  const char* dump;               // embedded dump the processors come from
  void (*compose)(MachineSpec&);  // changes towards a processor without a dump, or null
  void (*board)(MachineSpec&);    // the chipset devices
  platform::OsVersion os;
  bool system64;
};

// Host bridge ids from the PCI ID registry; K8 machines get their processors'
// northbridge functions from the machine reader.
constexpr Recipe kRecipes[] = {
    {"k8-desktop", "Desktop with an AMD Athlon 64 3200+ (single-core K8, Venice), nForce4",
     "amd-athlon-64-processor-3200+.test", nullptr,
     [](MachineSpec& m) { AddHostBridge(m, 0x10DE, 0x005E, 0xA3); },  // CK804 memory controller
     kWindowsXp64, true},
    {"k8-x2-laptop", "Laptop with an AMD Turion 64 X2 TL-56 (dual-core K8, revision F), RS690M",
     "amd-athlon-64-x2-dual-core-processor-3800+.test", ComposeTurion64X2,
     [](MachineSpec& m) { AddHostBridge(m, 0x1002, 0x7910, 0x00); },  // RS690 host bridge
     kWindowsVistaSp1, true},
    {"k7-mobile-laptop", "Laptop with a mobile AMD Athlon XP-M 2500+ (K7, Barton), VIA KN400",
     "amd-athlon-xp-3200+.test", ComposeMobileAthlonXpM,
     [](MachineSpec& m) { AddHostBridge(m, 0x1106, 0x3205, 0x00); },  // VT8378 KM400/KN400
     kWindowsXp, false},
    {"pentium-m-laptop", "Laptop with an Intel Pentium M 1.60 GHz (Dothan), 855PM and ICH4-M",
     "intel-pentium-m-processor-1.60ghz.test", nullptr,
     [](MachineSpec& m) {
       AddHostBridge(m, 0x8086, 0x3340, 0x21);                     // 82855PM
       AddIchLpcBridge(m, 0x24CC, 0x01, IchAcpiEnableBit::kBit4);  // 82801DBM
     },
     kWindowsXp, false},
    {"core-duo-laptop", "Laptop with an Intel Core Duo T2600 (Yonah), 945PM and ICH7-M",
     "intel-core-duo-cpu-t2600.test", nullptr,
     [](MachineSpec& m) {
       AddHostBridge(m, 0x8086, 0x27A0, 0x03);                     // Mobile 945PM
       AddIchLpcBridge(m, 0x27B9, 0x02, IchAcpiEnableBit::kBit7);  // 82801GBM
     },
     kWindowsXp, false},
    {"core2-duo-laptop", "Laptop with an Intel Core 2 Duo T7500 (Merom), PM965 and ICH8-M",
     "intel-core2-duo-cpu-t7500.test", nullptr,
     [](MachineSpec& m) {
       AddHostBridge(m, 0x8086, 0x2A00, 0x0C);                     // Mobile PM965
       AddIchLpcBridge(m, 0x2815, 0x03, IchAcpiEnableBit::kBit7);  // 82801HM
     },
     kWindowsVistaSp1, false},
    {"pentium4-ht",
     "Desktop with an Intel Pentium 4 3.00 GHz with Hyper-Threading (Prescott), 865PE and ICH5",
     "intel-pentium-4-cpu-3.00ghz.test", nullptr,
     [](MachineSpec& m) {
       AddHostBridge(m, 0x8086, 0x2570, 0x02);                     // 82865PE
       AddIchLpcBridge(m, 0x24D0, 0x02, IchAcpiEnableBit::kBit4);  // 82801EB
     },
     kWindowsXp, false},
    {"via-c7", "Mini desktop with a VIA C7 1.5 GHz (Esther), CN700",
     "via-esther-processor-1500mhz.test", nullptr,
     [](MachineSpec& m) { AddHostBridge(m, 0x1106, 0x0314, 0x00); },  // CN700 host bridge
     kWindowsXp, false},
    {"transmeta", "Ultraportable with a Transmeta Crusoe TM5800 and its LongRun northbridge",
     "amd-duron-spitfire.test", ComposeCrusoeTm5800, AddCrusoeNorthbridge, kWindows2000, false},
    {"zen-laptop",
     "Laptop with an AMD Ryzen 7 4800H (Zen 2, Renoir; 2 of its 8 cores), amd-pstate-epp",
     "amd-ryzen-7-4800h-with-radeon-graphics.test", KeepZenLaptopProcessors,
     [](MachineSpec& m) { AddHostBridge(m, 0x1022, 0x1630, 0x00); },  // Renoir root complex
     kWindows10, true},
    {"hybrid-laptop",
     "Laptop with an Intel Core i7-12700H (Alder Lake; 1 performance and 2 efficiency cores), "
     "intel_pstate with HWP",
     "12th-gen-intel-core-i7-12700h.test", KeepHybridLaptopProcessors,
     [](MachineSpec& m) { AddHostBridge(m, 0x8086, 0x4641, 0x02); },  // 12th gen host bridge
     kWindows10, true},
};

const Recipe* FindRecipe(std::string_view name) {
  for (const auto& recipe : kRecipes) {
    if (name == recipe.name) return &recipe;
  }
  return nullptr;
}

std::optional<MachineSpec> Build(const Recipe& recipe) {
  const auto dump = FindEmbeddedCatalogueFile(recipe.dump);
  if (!dump) return std::nullopt;
  auto parsed = ParseMachineText(*dump, recipe.dump);
  if (!parsed.ok()) return std::nullopt;
  auto machine = std::move(parsed).value();
  if (recipe.compose != nullptr) recipe.compose(machine);
  recipe.board(machine);
  machine.biosArea = PowerNowFirmwareArea(machine);
  machine.name = recipe.name;
  machine.description = recipe.description;
  machine.os = recipe.os;
  machine.system64 = recipe.system64;
  return machine;
}

}  // namespace

std::vector<CatalogueEntry> Catalogue() {
  std::vector<CatalogueEntry> entries;
  for (const auto& recipe : kRecipes) entries.push_back({recipe.name, recipe.description});
  return entries;
}

std::optional<MachineSpec> FindCatalogueMachine(std::string_view name) {
  const auto* recipe = FindRecipe(name);
  return recipe != nullptr ? Build(*recipe) : std::nullopt;
}

Parsed<MachineSpec> LoadMachine(std::string_view nameOrPath) {
  const std::string_view name =
      nameOrPath.empty() ? std::string_view(kDefaultCatalogueMachine) : nameOrPath;
  if (FindRecipe(name) != nullptr) {
    if (auto machine = FindCatalogueMachine(name)) return std::move(*machine);
    return MachineFileError{std::string(name), 0, "the catalogue machine's data is damaged"};
  }
  return LoadMachineFile(std::string(name));
}

}  // namespace pacetta::sim
