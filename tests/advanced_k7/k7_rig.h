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
#include "cpu/identify/identify_processor.h"
#include "hw/pinning.h"
#include "hw/topology.h"
#include "platform/sim/catalogue/embedded_files.h"
#include "platform/sim/simulated_pc.h"
#include "tests/test_support/temp_folder.h"

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

class K7Rig {
 public:
  // `machine`: a catalogue name or a machine file.
  explicit K7Rig(const std::string& machine) {
    sim::SimulationOptions options;
    options.machine = machine;
    options.stateFolder = folder_.File("state");
    options.settingsPath = folder_.File("settings.json");
    options.trace = TracePath();
    std::string error;
    pc_ = sim::SimulatedPc::Create(options, error);
    if (!pc_) throw std::runtime_error(machine + ": " + error);
    driver_ = std::make_unique<CPortexDriver>(pc_->View());
    if (driver_->Open(0) != 0) throw std::runtime_error("the simulated driver did not open");
    platform::Platform& view = pc_->View();
    records_.resize(UsableProcessorCount(view.processors));
    AssignTopology(view, records_);
    IdentifyContext identify{view.processors, view.cpu, *driver_};
    for (CpuInfo& cpu : records_) IdentifyProcessor(cpu, identify);
    UnpinThread(view.processors);
    settings_ = std::make_unique<AppSettings>(SettingsMachine{records_.front()});
    made_ = MakeAdvancedSettings({*driver_, view.processors, records_}, *settings_);
    k7_ = dynamic_cast<K7Advanced*>(made_.get());
    if (k7_ == nullptr) throw std::runtime_error(machine + " has no K7 settings");
  }
  ~K7Rig() {
    made_.reset();
    driver_->Close(true);
  }
  K7Rig(const K7Rig&) = delete;
  K7Rig& operator=(const K7Rig&) = delete;

  K7Advanced& K7() { return *k7_; }
  CPortexDriver& Driver() { return *driver_; }
  AppSettings& Settings() { return *settings_; }
  std::vector<CpuInfo>& Records() { return records_; }
  sim::SimulatedPc& Pc() { return *pc_; }

  // Every CLK_CTL access traced so far, in order; `from` skips the first ones.
  std::vector<ClockAccess> ClockAccesses(size_t from = 0) const {
    std::vector<ClockAccess> accesses;
    std::ifstream trace(TracePath());
    for (std::string line; std::getline(trace, line);) {
      if (line.empty() || line[0] == '#') continue;
      std::vector<std::string> fields;
      std::istringstream columns(line);
      for (std::string field; std::getline(columns, field, '\t');) fields.push_back(field);
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
  std::string TracePath() const { return folder_.File("trace.tsv"); }

  TempFolder folder_;
  std::unique_ptr<sim::SimulatedPc> pc_;
  std::unique_ptr<CPortexDriver> driver_;
  std::vector<CpuInfo> records_;
  std::unique_ptr<AppSettings> settings_;
  std::unique_ptr<AdvancedSettings> made_;
  K7Advanced* k7_ = nullptr;
};

}  // namespace pacetta::testing
