#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cpu/cpu_info.h"
#include "hw/portex_driver.h"
#include "platform/platform.h"

namespace pacetta::testing {

// CPUID answers keyed by (leaf, sub-leaf); anything else reads as zeros. Records every
// execution so tests can tell which leaves identification ran.
class FakeCpu : public platform::CpuInstructions {
 public:
  void Set(uint32_t leaf, platform::CpuidResult result, uint32_t subleaf = 0) {
    leaves_[{leaf, subleaf}] = result;
  }
  platform::CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override;
  uint64_t ReadTimeStampCounter() override { return 0; }
  std::optional<uint64_t> ReadPerformanceCounter(uint32_t) override { return std::nullopt; }
  void SpinDelay(uint32_t) override {}

  const std::vector<std::pair<uint32_t, uint32_t>>& executed() const { return executed_; }
  bool Executed(uint32_t leaf) const;

 private:
  std::map<std::pair<uint32_t, uint32_t>, platform::CpuidResult> leaves_;
  std::vector<std::pair<uint32_t, uint32_t>> executed_;
};

// Records the affinity masks the calling thread is given.
class FakeProcessors : public platform::Processors {
 public:
  unsigned SystemCount() override { return 32; }
  uint64_t SystemAffinityMask() override { return 0xFFFFFFFFu; }
  uint64_t ProcessAffinityMask() override { return 0xFFFFFFFFu; }
  bool SetThreadAffinity(uint64_t mask) override;
  void YieldThread() override {}
  unsigned CurrentProcessor() override { return current_; }

  std::vector<uint64_t> masks;

 private:
  unsigned current_ = 0;
};

// A driver opened on a fake device whose model-specific registers the test sets.
// Registers without a value fail to read, as absent ones do.
class DriverWithRegisters {
 public:
  DriverWithRegisters();
  ~DriverWithRegisters();

  void SetRegister(uint32_t index, uint64_t value);
  int ReadsOf(uint32_t index) const;
  CPortexDriver& driver() { return *driver_; }
  FakeCpu& cpu();
  FakeProcessors& processors();

 private:
  struct Backend;
  std::unique_ptr<Backend> backend_;
  std::unique_ptr<CPortexDriver> driver_;
};

// Leaf builders for records identified without executing anything.
platform::CpuidResult VendorLeaf(const std::string& vendor, uint32_t highestLeaf);
// A record with leaf 0 (vendor, highest leaf 6) and leaf 1 (signature, brand id in
// EBX bits 7..0).
CpuInfo RecordFor(const std::string& vendor, uint32_t signature, uint32_t leaf1Ebx = 0);

}  // namespace pacetta::testing
