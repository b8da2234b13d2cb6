// Every real CPUID dump of the shared collection, and the catalogue machines built on
// them, run as simulated PCs and named the way the information page names them: through
// the driver, on each processor in turn. The names come from the program's tables; where
// those differ from the brand string the processor prints, the row says why.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "cpu/names/processor_names.h"
#include "hw/pinning.h"
#include "testing/identified_machine.h"
#include "tests/cpu_names/naming_doubles.h"

namespace pacetta {
namespace {

namespace fs = std::filesystem;
using testing::Named;

fs::path DumpFolder() {
  return fs::path(PACETTA_SOURCE_DIR) / ".." / "shared" / "cpuid";
}

struct MachineRow {
  const char* machine;  // a dump below the collection (without ".test") or a catalogue name
  Named expected;
};

constexpr char kNoModel[] = "Unknown Model";
constexpr char kNoCore[] = "Unknown Core";
constexpr char kNoRevision[] = "Unknown";

// clang-format off
const MachineRow kDumps[] = {
    {"amd-athlon-64-processor-3200+", {"AMD Athlon(TM) 64 3200+", "Venice", "DH-E3", 235}},
    {"amd-athlon-64-x2-dual-core-processor-3800+",
     {"AMD Athlon(TM) 64 X2 Dual Core 3800+", "Manchester", "BH-E4", 238}},
    // The K7 names carry no model number.
    {"amd-athlon-xp-3200+", {"AMD Athlon(TM) XP", "Barton", "A2", 240}},
    {"amd-duron-spitfire", {"AMD Duron(TM)", "Spitfire", "A0", 247}},
    // Its brand id names package type 1 and string index 32, which the family 16 table
    // leaves unnamed: the Phenom brand is not in it.
    {"amd-phenom-9500-quad-core-processor",
     {"AMD Processor model unknown", "Barcelona", "DR-B2", 250}},
    // Families 17 and 25 have no tables.
    {"amd-ryzen-7-5800h-with-radeon-graphics", {kNoModel, kNoCore, kNoRevision, 288}},
    {"amd-turion-64-mobile-technology-ml-34",
     {"AMD Turion(TM) 64 Mobile Technology ML-34", "Lancaster", "SH-E5", 248}},
    {"amd-turion-dual-core-rm-70", {kNoModel, kNoCore, kNoRevision, 288}},
    {"intel-core-duo-cpu-t2600", {"Genuine Intel(R) Core(TM) Duo", "Yonah", "D0", 269}},
    {"intel-core2-duo-cpu-e6750", {"Genuine Intel(R) Core(TM) 2 Duo", "Conroe", "G0", 271}},
    // The T7500's 200 MHz bus code (2) makes it a Core 2 of type 0, whose 4 MB die is
    // the Conroe.
    {"intel-core2-duo-cpu-t7500", {"Genuine Intel(R) Core(TM) 2 Duo", "Conroe", "E1", 271}},
    {"intel-core2-quad-cpu-q6600", {"Genuine Intel(R) Core(TM) 2 Quad", "Kentsfield", "G0", 273}},
    {"intel-pentium-4-cpu-3.00ghz", {"Genuine Intel(R) Pentium(R) 4", "Prescott", "D0", 263}},
    {"intel-pentium-d-820", {"Genuine Intel(R) Pentium(R) D", "Smithfield", "A0", 265}},
    // No brand string; brand id 2 and 256 KB of level 2.
    {"intel-pentium-iii-coppermine", {"Genuine Intel(R) Pentium(R) III", "Coppermine", "cD0", 258}},
    {"intel-pentium-m-processor-1.60ghz", {"Genuine Intel(R) Pentium(R) M", "Dothan", "B1", 261}},
    {"mobile-amd-sempron-processor-3300+", {"Mobile AMD Sempron(TM) 3300+", "Palermo", "DH-D0", 246}},
    // One logical processor: the plain logo.
    {"mobile-intel-pentium-4-m-cpu",
     {"Genuine Mobile Intel(R) Pentium(R) 4", "Northwood", "D1", 262}},
    {"via-esther-processor-1500mhz", {"VIA C7/C7-M", "Esther", "C5J", 286}},
    {"via-nehemiah", {"VIA C3/Antaur", "Nehemiah", "C5XL", 285}},
    // Today's processors: Intel family 6 models without a row, AMD families without a
    // table.
    {"modern/12th-gen-intel-core-i7-12700h", {kNoModel, kNoCore, kNoRevision, 275}},
    {"modern/amd-ryzen-7-4800h-with-radeon-graphics", {kNoModel, kNoCore, kNoRevision, 288}},
    {"modern/amd-ryzen-7-8845hs-with-radeon-780m-graphics", {kNoModel, kNoCore, kNoRevision, 288}},
    {"modern/intel-core-i7-5500u-cpu", {kNoModel, kNoCore, kNoRevision, 275}},
    {"modern/intel-core-ultra-7-265u", {kNoModel, kNoCore, kNoRevision, 275}},
};

// The catalogue machines whose names differ from their dump's, or that come from no dump.
const MachineRow kCatalogue[] = {
    // Revision F: the northbridge's capability register says two cores.
    {"k8-x2-laptop", {"AMD Turion(TM) 64 X2 Mobile Technology TL-56", "Taylor", "BH-F2", 249}},
    // The simulated part starts at its highest FID, which makes it a desktop part.
    {"k7-mobile-laptop", {"AMD Athlon(TM) XP", "Barton", "A2", 240}},
    {"transmeta", {"Transmeta(TM) Crusoe(TM)", "TM5800", "1.4-1.0-867", 281}},
    {"pentium4-ht", {"Genuine Intel(R) Pentium(R) 4", "Prescott", "D0", 263}},
    {"zen-laptop", {kNoModel, kNoCore, kNoRevision, 288}},
};
// clang-format on

std::string PathOf(const MachineRow& row) {
  return (DumpFolder() / (std::string(row.machine) + ".test")).string();
}

// Names every processor of the machine as the page does: pinned to it, through the
// program's driver and the shared northbridge accessor.
void ExpectEveryProcessorNamed(const std::string& machineOrPath, const Named& expected) {
  pacetta::testing::IdentifiedMachine machine(
      pacetta::testing::MachineOptions{.machine = machineOrPath});
  platform::Platform& view = machine.View();
  DriverNamingHardware hardware(machine.Driver(), view.cpu, machine.Sensors().northbridge);
  for (const CpuInfo& cpu : machine.Records()) {
    PinToProcessor(view.processors, cpu.index);
    const Named named = testing::NameOf(cpu, hardware);
    EXPECT_EQ(named.model, expected.model) << machineOrPath << " cpu " << cpu.index;
    EXPECT_EQ(named.core, expected.core) << machineOrPath << " cpu " << cpu.index;
    EXPECT_EQ(named.revision, expected.revision) << machineOrPath << " cpu " << cpu.index;
    EXPECT_EQ(named.logo, expected.logo) << machineOrPath << " cpu " << cpu.index;
  }
  UnpinThread(view.processors);
}

TEST(RealMachines, EveryDumpIsNamedFromTheTables) {
  if (!fs::exists(DumpFolder())) GTEST_SKIP() << "no dump collection beside the repository";
  // A dump added to the collection needs its row.
  std::set<std::string> present, listed;
  for (const char* folder : {"", "modern"}) {
    for (const auto& entry : fs::directory_iterator(DumpFolder() / folder)) {
      if (entry.path().extension() != ".test") continue;
      const std::string stem = entry.path().stem().string();
      present.insert(*folder ? std::string(folder) + "/" + stem : stem);
    }
  }
  for (const MachineRow& row : kDumps) listed.insert(row.machine);
  EXPECT_EQ(present, listed);

  for (const MachineRow& row : kDumps) ExpectEveryProcessorNamed(PathOf(row), row.expected);
}

TEST(RealMachines, CatalogueMachinesAreNamedFromTheirRegisters) {
  for (const MachineRow& row : kCatalogue) ExpectEveryProcessorNamed(row.machine, row.expected);
}

}  // namespace
}  // namespace pacetta
