#pragma once
// A simulated K7 machine with its register trace, the driver open, every processor
// identified as start-up does, and the running program's K7 settings made by its factory.
#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/advanced/k7_advanced.h"
#include "platform/sim/catalogue/embedded_files.h"
#include "tests/test_support/advanced_rig.h"

namespace pacetta::testing {

// One CLK_CTL access of the trace.
struct ClockAccess {
  unsigned cpu = 0;
  bool write = false;
  uint64_t value = 0;
};

// A desktop with two Athlon XP processors from the catalogue's dump (a dump's sections
// are its processors), as a machine file in `folder`.
inline std::string TwoDesktopAthlons(const TempFolder& folder) {
  const auto dump = sim::FindEmbeddedCatalogueFile("amd-athlon-xp-3200+.test");
  if (!dump) throw std::runtime_error("the desktop Athlon's dump is missing");
  std::istringstream lines{std::string(*dump)};
  std::string leaves;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("CPUID ", 0) == 0) leaves += line + "\n";
  }
  const std::string path = folder.File("two-athlons.txt");
  std::ofstream file(path);
  for (int n = 0; n < 2; ++n) file << "------[ Logical CPU #" << n << " ]------\n" << leaves;
  return path;
}

class K7Rig : public AdvancedRig {
 public:
  // `machine`: a catalogue name or a machine file.
  explicit K7Rig(const std::string& machine)
      : AdvancedRig(machine), k7_(MadeAs<K7Advanced>("K7 settings")) {}

  K7Advanced& K7() { return k7_; }

  // Every CLK_CTL access traced so far, in order; `from` skips the first ones.
  std::vector<ClockAccess> ClockAccesses(size_t from = 0) const {
    std::vector<ClockAccess> accesses;
    for (const auto& fields : TraceRows()) {
      if (fields.size() != 8 || fields[3] != "0xC001001B") continue;
      if (fields[2] != "msr-read" && fields[2] != "msr-write") continue;
      accesses.push_back({static_cast<unsigned>(std::stoul(fields[1])), fields[2] == "msr-write",
                          std::stoull(fields[5], nullptr, 16)});
    }
    if (from > accesses.size()) from = accesses.size();
    return {accesses.begin() + static_cast<std::ptrdiff_t>(from), accesses.end()};
  }
  // The writes among them.
  std::vector<ClockAccess> ClockWrites() const {
    std::vector<ClockAccess> writes;
    for (const ClockAccess& access : ClockAccesses()) {
      if (access.write) writes.push_back(access);
    }
    return writes;
  }

 private:
  K7Advanced& k7_;
};

}  // namespace pacetta::testing
