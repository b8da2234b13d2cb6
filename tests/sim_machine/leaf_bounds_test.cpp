// A dump whose leaf 0 and leaf 0x80000000 claim the highest leaf there is: identification
// reads no more leaves than its record holds, and the program starts on the machine.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/report/cpu_report.h"
#include "cpu/identify/leaves.h"
#include "platform/sim/machine/machine_file.h"
#include "platform/sim/pc/sim_cpu_instructions.h"
#include "platform/sim/simulated_pc.h"
#include "tests/sim_machine/machine_test_support.h"

namespace pacetta::sim {
namespace {

// A Core 2 Duo (leaf 2 describes its caches) whose highest leaves read 0xFFFFFFFF.
constexpr const char* kClaimsEveryLeaf =
    "CPUID 00000000: FFFFFFFF-756E6547-6C65746E-49656E69\n"
    "CPUID 00000001: 000006FB-00020800-0000E3BD-BFEBFBFF\n"
    "CPUID 00000002: 05B0B101-005657F0-00000000-2CB43049\n"
    "CPUID 80000000: FFFFFFFF-00000000-00000000-00000000\n";

// Answers as the simulated processor does, counting the instructions.
class CountingCpu final : public platform::CpuInstructions {
 public:
  explicit CountingCpu(const CpuidLeaves& leaves) : leaves_(leaves) {}
  platform::CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) override {
    ++executed;
    return AnswerCpuid(leaves_, leaf, subleaf);
  }
  uint64_t ReadTimeStampCounter() override { return 0; }
  std::optional<uint64_t> ReadPerformanceCounter(uint32_t) override { return std::nullopt; }
  void SpinDelay(uint32_t) override {}

  unsigned executed = 0;

 private:
  const CpuidLeaves& leaves_;
};

TEST(LeafBounds, HighestLeavesOfFFFFFFFFAreReadInBoundedWork) {
  testing::TempFolder folder;
  const auto path = folder.Write("every-leaf.test", kClaimsEveryLeaf);
  const auto machine = LoadMachineFile(path);
  ASSERT_TRUE(machine.ok()) << machine.error().ToString();

  CountingCpu cpu(machine.value().processors.front().leaves);
  CpuInfo info;
  ReadIdentificationLeaves(info, cpu);
  EXPECT_EQ(HighestStandardLeaf(info), 0xFFFFFFFFu);
  EXPECT_LE(cpu.executed, 2 + kStandardLeafCount + kExtendedLeafCount);

  SimulationOptions options;
  options.machine = path;
  options.stateFolder = (folder.path() / "state").string();
  options.settingsPath = (folder.path() / "settings.json").string();
  std::string error;
  auto pc = SimulatedPc::Create(options, error);
  ASSERT_TRUE(pc) << error;
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(RunCpuReport(pc->View(), out), 0);
  std::rewind(out);
  char line[16384];
  unsigned reported = 0;
  while (std::fgets(line, sizeof line, out) != nullptr) {
    const auto report = nlohmann::json::parse(line);
    EXPECT_EQ(report["caches"]["l2"]["sizeKb"], 4096) << "leaf 2 was read";
    ++reported;
  }
  std::fclose(out);
  EXPECT_EQ(reported, machine.value().processors.size());
}

}  // namespace
}  // namespace pacetta::sim
