#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/machine/machine_file_error.h"

namespace pacetta::sim {

// What `--simulate` runs when it names no machine.
inline constexpr char kDefaultCatalogueMachine[] = "k8-x2-laptop";

struct CatalogueEntry {
  std::string name;
  std::string description;
};

// The built-in machines, realistic laptops and desktops of each supported family.
std::vector<CatalogueEntry> Catalogue();

// The machine of that catalogue name, or nothing when the catalogue has none.
std::optional<MachineSpec> FindCatalogueMachine(std::string_view name);

// A catalogue machine by name, otherwise the machine file at that path; the default
// machine when `nameOrPath` is empty.
Parsed<MachineSpec> LoadMachine(std::string_view nameOrPath);

}  // namespace pacetta::sim
