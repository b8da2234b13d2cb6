// Leaf maxima no processor reports (virtual machines, broken parts) must not make the
// dump endless or huge.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/machine/machine_file.h"
#include "tests/dump/dump_rig.h"

namespace pacetta::testing {
namespace {

// The leaf numbers of the first processor's CPUID table.
std::vector<uint32_t> ListedLeaves(const std::string& dump) {
  std::vector<uint32_t> leaves;
  std::istringstream lines(dump.substr(dump.find("CPUID\t\t")));
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line) && line != "\r") leaves.push_back(std::stoul(line, nullptr, 16));
  return leaves;
}

std::vector<uint32_t> Leaves(std::initializer_list<std::pair<uint32_t, uint32_t>> ranges) {
  std::vector<uint32_t> leaves;
  for (const auto& [first, last] : ranges)
    for (uint64_t leaf = first; leaf <= last; ++leaf) leaves.push_back(static_cast<uint32_t>(leaf));
  return leaves;
}

TEST(DiagnosticDump, ImplausibleLeafMaximaAreCutToTheLeavesTheProgramReads) {
  constexpr uint32_t kExt = 0x80000000, kTm = 0x80860000;
  struct Case {
    const char* machine;
    uint32_t leaf;  // whose EAX reports the range's highest leaf
    uint32_t eax;
    std::vector<uint32_t> expected;
  };
  const Case cases[] = {
      {"core2-duo-laptop", 0, 0xFF, Leaves({{0, 0xFF}, {kExt, kExt + 8}})},
      {"core2-duo-laptop", 0, 0x100, Leaves({{0, 15}, {kExt, kExt + 8}})},
      {"core2-duo-laptop", 0, 0xFFFFFFFF, Leaves({{0, 15}, {kExt, kExt + 8}})},
      {"core2-duo-laptop", kExt, 0x800000FF, Leaves({{0, 10}, {kExt, kExt + 0xFF}})},
      {"core2-duo-laptop", kExt, 0xFFFFFFFF, Leaves({{0, 10}, {kExt, kExt + 31}})},
      {"transmeta", kTm, 0x808600FF, Leaves({{0, 1}, {kExt, kExt + 6}, {kTm, kTm + 0xFF}})},
      {"transmeta", kTm, 0xFFFFFFFF, Leaves({{0, 1}, {kExt, kExt + 6}, {kTm, kTm + 7}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.machine) + " leaf " + std::to_string(c.leaf) + " EAX " +
                 std::to_string(c.eax));
    auto machine = *sim::FindCatalogueMachine(c.machine);
    for (auto& processor : machine.processors) processor.leaves[{c.leaf, 0}].eax = c.eax;
    DumpRig rig(machine);
    const std::string dump = rig.Dump();
    EXPECT_EQ(ListedLeaves(dump), c.expected);
    // Still a machine file: no leaf listed twice.
    const auto parsed = sim::ParseMachineText(dump, "cpuinfo.txt");
    EXPECT_TRUE(parsed.ok()) << parsed.error().ToString();
  }
}

}  // namespace
}  // namespace pacetta::testing
