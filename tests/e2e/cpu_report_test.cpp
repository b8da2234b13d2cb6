#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/e2e/child_process.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

using nlohmann::json;

const std::string kProgram = std::string(PACETTA_BIN_DIR) + "/pacetta";

std::vector<json> ReportLines(const std::string& output) {
  std::vector<json> lines;
  std::istringstream stream(output);
  for (std::string line; std::getline(stream, line);) lines.push_back(json::parse(line));
  return lines;
}

class CpuReportTest : public ::testing::Test {
 protected:
  Finished Run(const std::vector<std::string>& arguments) {
    return RunToEnd(
        kProgram, arguments,
        {"PACETTA_RUNTIME_DIR=" + runtime_.Path(), "XDG_CONFIG_HOME=" + config_.Path()});
  }
  TempFolder runtime_;
  TempFolder config_;
};

TEST_F(CpuReportTest, EveryCatalogueMachineReportsEachProcessorWithItsLimits) {
  struct Expected {
    const char* machine;
    size_t processors;
    const char* vendor;
    const char* flag;
    const char* model;  // the names read through the program's own driver
    int logo;
  } machines[] = {
      {"k8-desktop", 1, "AuthenticAMD", "isK8", "AMD Athlon(TM) 64 3200+", 235},
      {"k8-x2-laptop", 2, "AuthenticAMD", "isK8Npt", "AMD Turion(TM) 64 X2 Mobile Technology TL-56",
       249},
      {"k7-mobile-laptop", 1, "AuthenticAMD", "isK7", "AMD Athlon(TM) XP", 240},
      {"pentium-m-laptop", 1, "GenuineIntel", "isPentiumM", "Genuine Intel(R) Pentium(R) M", 261},
      {"core-duo-laptop", 2, "GenuineIntel", "isCoreDuo", "Genuine Intel(R) Core(TM) Duo", 269},
      {"core2-duo-laptop", 2, "GenuineIntel", "isCore2", "Genuine Intel(R) Core(TM) 2 Duo", 271},
      {"pentium4-ht", 2, "GenuineIntel", "isPentium4Prescott", "Genuine Intel(R) Pentium(R) 4",
       263},
      {"via-c7", 1, "CentaurHauls", "isViaC7", "VIA C7/C7-M", 286},
      {"transmeta", 1, "GenuineTMx86", "isTransmeta", "Transmeta(TM) Crusoe(TM)", 281},
  };
  for (const Expected& e : machines) {
    const Finished run = Run({std::string("--simulate=") + e.machine, "--cpu-report"});
    ASSERT_EQ(run.exitCode, 0) << e.machine << run.errors;
    const std::vector<json> lines = ReportLines(run.output);
    ASSERT_EQ(lines.size(), e.processors) << e.machine;
    for (size_t k = 0; k < lines.size(); ++k) {
      EXPECT_EQ(lines[k]["index"], k);
      EXPECT_EQ(lines[k]["vendor"], e.vendor) << e.machine;
      EXPECT_EQ(lines[k]["flags"][e.flag], 1) << e.machine;
      EXPECT_TRUE(lines[k].contains("limits")) << e.machine << ": the driver answered";
      EXPECT_EQ(lines[k]["names"]["model"], e.model) << e.machine;
      EXPECT_EQ(lines[k]["names"]["logo"], e.logo) << e.machine;
    }
  }
}

TEST_F(CpuReportTest, TheK8LaptopReportsItsPublishedOperatingPoints) {
  const Finished run = Run({"--simulate=k8-x2-laptop", "--cpu-report"});
  const json cpu = ReportLines(run.output).at(1);
  EXPECT_EQ(cpu["brand"]["string"], "AMD Turion(tm) 64 X2 Mobile Technology TL-56");
  EXPECT_EQ(cpu["isSecondary"], 1);
  EXPECT_EQ(cpu["partnerIndex"], 0);
  // 1.8 GHz is 9x of the 200 MHz reference.
  EXPECT_EQ(cpu["limits"]["max"]["fid"]["multiplier"], 9.0);
  const json& candidates = cpu["candidates"];
  ASSERT_FALSE(candidates.empty());
  EXPECT_EQ(candidates.front()["multiplier"], 4.0);
  EXPECT_EQ(candidates.back()["multiplier"], 9.0);
}

TEST_F(CpuReportTest, AMachineFileIsReportedLikeACatalogueMachine) {
  const std::string dump = std::string(PACETTA_SOURCE_DIR) +
                           "/platform/sim/catalogue/data/intel-pentium-m-processor-1.60ghz.test";
  const Finished run = Run({"--simulate=" + dump, "--cpu-report"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const std::vector<json> lines = ReportLines(run.output);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]["signature"], "0x6D6");
  const Finished missing = Run({"--simulate=/nonexistent/machine.test", "--cpu-report"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.errors.find("/nonexistent/machine.test"), std::string::npos);
}

// The `cpuid` tool's raw answer for one leaf on the processor it runs on.
std::optional<std::array<uint32_t, 4>> CpuidTool(uint32_t leaf) {
  FILE* pipe = popen("cpuid -r -1 2>/dev/null", "r");
  if (!pipe) return std::nullopt;
  std::optional<std::array<uint32_t, 4>> answer;
  char line[256];
  while (std::fgets(line, sizeof line, pipe)) {
    unsigned l = 0, sub = 0, a = 0, b = 0, c = 0, d = 0;
    if (std::sscanf(line, " 0x%x 0x%x: eax=0x%x ebx=0x%x ecx=0x%x edx=0x%x", &l, &sub, &a, &b, &c,
                    &d) == 6 &&
        l == leaf && sub == 0) {
      answer = std::array<uint32_t, 4>{a, b, c, d};
    }
  }
  pclose(pipe);
  return answer;
}

TEST_F(CpuReportTest, TheRealProcessorAgreesWithTheCpuidTool) {
  const auto leaf0 = CpuidTool(0);
  if (!leaf0) GTEST_SKIP() << "the cpuid tool is not installed";
  const auto leaf1 = CpuidTool(1);
  const auto extended = CpuidTool(0x80000000);
  ASSERT_TRUE(leaf1 && extended);
  // As root the program starts its register helper; keep it on a socket of this test.
  const Finished run =
      RunToEnd(kProgram, {"--cpu-report"},
               {"PACETTA_RUNTIME_DIR=" + runtime_.Path(), "XDG_CONFIG_HOME=" + config_.Path(),
                "PACETTA_PORTEX_SOCKET=" + runtime_.File("Portex64.sock")});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const std::vector<json> lines = ReportLines(run.output);
  ASSERT_FALSE(lines.empty());
  for (const json& cpu : lines) {
    std::string vendor(12, ' ');
    std::memcpy(vendor.data(), &(*leaf0)[1], 4);
    std::memcpy(vendor.data() + 4, &(*leaf0)[3], 4);
    std::memcpy(vendor.data() + 8, &(*leaf0)[2], 4);
    EXPECT_EQ(cpu["vendor"], vendor);
    EXPECT_EQ(cpu["highestStandardLeaf"], (*leaf0)[0]);
    char signature[16];
    std::snprintf(signature, sizeof signature, "0x%X", (*leaf1)[0]);
    EXPECT_EQ(cpu["signature"], signature);
    char highest[16];
    std::snprintf(highest, sizeof highest, "0x%X",
                  ((*extended)[0] & 0x80000000u) ? (*extended)[0] : 0u);
    EXPECT_EQ(cpu["highestExtendedLeaf"], highest);
    // Register-based fields appear only with the driver, and then together.
    EXPECT_EQ(cpu.contains("limits"), cpu.contains("candidates"));
  }
}

}  // namespace
}  // namespace pacetta::testing
