// A dump is a machine file: the dumped machine dumps and identifies as the original.
#include <gtest/gtest.h>

#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/machine/machine_file.h"
#include "tests/dump/dump_rig.h"

namespace pacetta::testing {
namespace {

TEST(DiagnosticDump, EveryCatalogueMachineRunsFromItsDumpAsItself) {
  for (const auto& entry : sim::Catalogue()) {
    SCOPED_TRACE(entry.name);
    const auto machine = *sim::FindCatalogueMachine(entry.name);
    DumpRig original(machine);
    const std::string dump = original.Dump();

    // What `--simulate=cpuinfo.txt` reads.
    const std::string file = original.File("cpuinfo.txt");
    auto loaded = sim::LoadMachineFile(file);
    ASSERT_TRUE(loaded.ok()) << loaded.error().ToString();
    DumpRig dumped(std::move(loaded).value());
    EXPECT_EQ(dumped.Dump(), dump);

    // Today's parts keep their caches in leaf 4's further sub-leaves, which their dump
    // lists after the table.
    EXPECT_EQ(dumped.Identification(), original.Identification());
  }
}

}  // namespace
}  // namespace pacetta::testing
