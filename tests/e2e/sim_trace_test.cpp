#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <map>
#include <sstream>

#include "engine/profiles/profile.h"
#include "tests/e2e/lifecycle_run.h"
#include "tests/e2e/settings_seed.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

struct TraceLine {
  uint64_t timeNs = 0;
  unsigned cpu = 0;
  std::string kind, location, width, value, result, violation;
};

std::optional<TraceLine> ParseTraceLine(const std::string& text) {
  std::vector<std::string> fields;
  std::istringstream in(text);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  if (fields.size() != 8) return std::nullopt;
  TraceLine line;
  line.timeNs = std::stoull(fields[0]);
  line.cpu = static_cast<unsigned>(std::stoul(fields[1]));
  line.kind = fields[2], line.location = fields[3], line.width = fields[4];
  line.value = fields[5], line.result = fields[6], line.violation = fields[7];
  return line;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(SimTrace, OnDemandStepsTheK8BothWaysWithoutAViolationAndAKillKeepsEveryLine) {
  LifecycleRun run;
  SeedValues values;
  values.profileAc = values.profileDc = kOnDemandProfile;
  const SeededMachine machine = SeedSettings(run.ConfigHome(), values);
  const std::string trace = run.ConfigHome() + "/trace.tsv";

  auto program = run.Start({"--sim-load=script:idle@1500ms,full@1500ms", "--sim-trace=" + trace});
  const auto showing = [](const std::string& multiplier) {
    return [multiplier](const StatusLine& line) { return line.multiplier == multiplier; };
  };
  const auto slow = WaitForStatus(*program, showing(machine.Slowest()), 60s);
  ASSERT_TRUE(slow) << program->Output() << program->Errors();
  const auto fast = WaitForStatus(*program, showing(machine.Fastest()), 60s, slow->end);
  ASSERT_TRUE(fast) << program->Output();
  // Killed, not closed: nothing restores the start state, and every line written so far
  // must be in the file whole.
  program->Signal(SIGKILL);
  EXPECT_EQ(program->WaitForExit(60s), 128 + SIGKILL);

  const std::string text = ReadWhole(trace);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n') << "a line was cut short";
  std::istringstream lines(text);
  std::string header;
  std::getline(lines, header);
  EXPECT_EQ(header, "# pacetta-sim-trace 1");

  // FID/VID control writes (InitFidVid, bit 16) against the FID the status (bits 5..0)
  // showed last on that processor.
  std::map<unsigned, uint64_t> currentFid;
  int up = 0, down = 0;
  size_t accesses = 0;
  uint64_t lastNs = 0;
  for (std::string row; std::getline(lines, row);) {
    if (row.starts_with("#")) continue;
    const auto line = ParseTraceLine(row);
    ASSERT_TRUE(line) << row;
    ++accesses;
    EXPECT_NE(line->kind, "violation") << row;
    EXPECT_EQ(line->violation, "-") << row;
    EXPECT_GE(line->timeNs, lastNs) << row;
    lastNs = line->timeNs;
    if (line->result != "ok") continue;
    const uint64_t value = line->value == "-" ? 0 : std::stoull(line->value, nullptr, 16);
    if (line->kind == "msr-read" && line->location == "0xC0010042") {
      currentFid[line->cpu] = value & 0x3F;
    } else if (line->kind == "msr-write" && line->location == "0xC0010041" &&
               (value & 0x10000) != 0 && currentFid.contains(line->cpu)) {
      const uint64_t fid = value & 0x3F;
      up += fid > currentFid[line->cpu];
      down += fid < currentFid[line->cpu];
    }
  }
  EXPECT_GT(accesses, 100u);
  EXPECT_GT(down, 0) << "no FID change down";
  EXPECT_GT(up, 0) << "no FID change up";
}

TEST(SimTrace, AFileThatCannotBeOpenedStopsTheStart) {
  LifecycleRun run;
  const Finished result = RunToEnd(
      kPacettaProgram,
      {"--simulate", "--console", "--sim-trace=" + run.ConfigHome() + "/no/such/trace.tsv"},
      run.Env());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.errors.find("cannot open the register trace"), std::string::npos)
      << result.errors;
}

// Today's processors are steered through the kernel's frequency policy, by requests to
// the helper that the trace shows; a termination puts the limits of the start back.
TEST(SimTrace, ATerminationPutsTheKernelPolicyLimitsOfTheStartBack) {
  LifecycleRun run;
  const std::string trace = run.ConfigHome() + "/trace.tsv";
  auto program = run.Start({"--simulate=zen-laptop", "--sim-load=full", "--sim-trace=" + trace});
  ASSERT_TRUE(WaitForStatus(
      *program, [](const StatusLine&) { return true; }, 60s))
      << program->Output() << program->Errors();
  // "Power saving": the lowest step.
  ASSERT_EQ(run.Command({"-profile", "1"}).exitCode, 0);
  ASSERT_TRUE(WaitForStatus(
      *program, [](const StatusLine& line) { return line.multiplier == "14.0x"; }, 60s))
      << program->Output() << program->Errors();
  program->Signal(SIGTERM);
  EXPECT_EQ(program->WaitForExit(60s), 0) << program->Errors();

  // Each policy's limits as {min, max} kHz, in the order written.
  std::map<std::string, std::vector<std::pair<uint64_t, uint64_t>>> limits;
  std::istringstream lines(ReadWhole(trace));
  for (std::string row; std::getline(lines, row);) {
    const auto line = row.starts_with("#") ? std::nullopt : ParseTraceLine(row);
    if (!line || line->kind != "policy-limits") continue;
    EXPECT_EQ(line->result, "ok") << row;
    const uint64_t value = std::stoull(line->value, nullptr, 16);
    limits[line->location].emplace_back(value >> 32, value & 0xFFFFFFFF);
  }
  ASSERT_EQ(limits.size(), 4u) << "one policy per processor";
  for (const auto& [policy, written] : limits) {
    ASSERT_GE(written.size(), 2u) << policy;
    EXPECT_EQ(written.front(), std::make_pair(uint64_t{1'400'000}, uint64_t{1'400'000})) << policy;
    EXPECT_EQ(written.back(), std::make_pair(uint64_t{1'400'000}, uint64_t{4'200'000})) << policy;
  }
}

}  // namespace
}  // namespace pacetta::testing
