#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cpu/cpu_info.h"
#include "cpu/dump/diagnostic_dump.h"
#include "hw/k8_northbridge.h"
#include "hw/optional_entry_points.h"
#include "hw/portex_driver.h"
#include "platform/sim/machine.h"
#include "platform/sim/simulated_pc.h"
#include "platform/sim/workload/sim_clock.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {

// Time that moves only while a simulated processor waits, so that two machines brought
// up alike read alike (temperatures and counters included).
class StillClock final : public sim::SimClock {
 public:
  uint64_t NowNs() override { return now_.load(); }
  void WaitUntil(uint64_t ns) override {
    uint64_t now = now_.load();
    while (now < ns && !now_.compare_exchange_weak(now, ns)) {
    }
  }

 private:
  std::atomic<uint64_t> now_{1'000'000'000};
};

// A simulated PC of a machine held in memory, with the driver open and every processor
// identified as start-up identifies it (readings, limits and candidates included).
class DumpRig {
 public:
  // `faults` as `--sim-fault` takes them. Throws std::runtime_error when the PC cannot be
  // built or the driver does not open.
  explicit DumpRig(sim::MachineSpec machine, const std::string& faults = "");
  ~DumpRig();
  DumpRig(const DumpRig&) = delete;
  DumpRig& operator=(const DumpRig&) = delete;

  const std::vector<CpuInfo>& Records() const { return records_; }
  sim::SimulatedPc& Pc() { return *pc_; }
  // Dumps to `name` in the rig's folder and returns the file's text.
  std::string Dump(const std::string& name = "cpuinfo.txt");
  platform::FileFault DumpTo(const std::string& path);
  std::string File(const std::string& name) const { return folder_.File(name); }
  // The processors' identification as the cpu report shows it, one line each.
  std::vector<std::string> Identification();
  // Register `index` of processor k as the driver reads it (all ones when it cannot);
  // a configuration double word of bus 0, read directly.
  MsrRequest ReadMsr(uint32_t k, uint32_t index);
  uint32_t ReadPciDword(uint32_t devfn, uint32_t reg);

 private:
  TempFolder folder_;
  std::shared_ptr<StillClock> clock_ = std::make_shared<StillClock>();
  std::unique_ptr<sim::SimulatedPc> pc_;
  CPortexDriver driver_;
  OptionalEntryPoints entryPoints_;
  CK8Northbridge northbridge_;
  std::vector<CpuInfo> records_;
};

std::string ReadFile(const std::string& path);

}  // namespace pacetta::testing
