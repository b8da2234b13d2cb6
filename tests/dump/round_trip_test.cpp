// A dump is a machine file: the dumped machine dumps and identifies as the original.
#include <gtest/gtest.h>

#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/machine/machine_file.h"
#include "tests/dump/dump_rig.h"

namespace pacetta::testing {
namespace {

// The dump lists sub-leaf 0 of every leaf, so that is all of a machine it can carry.
sim::MachineSpec WithoutSubLeaves(sim::MachineSpec machine) {
  for (auto& processor : machine.processors)
    std::erase_if(processor.leaves, [](const auto& entry) { return entry.first.second != 0; });
  return machine;
}

// Descriptor 0xFF in leaf 2: "the caches are described by leaf 4".
bool DefersCachesToLeaf4(const sim::MachineSpec& machine) {
  const auto leaf2 = sim::LeafOf(machine.processors[0].leaves, 2);
  int byteIndex = 0;
  for (const uint32_t reg : {leaf2.eax, leaf2.ebx, leaf2.ecx, leaf2.edx}) {
    for (int byte = 0; byte < 4; ++byte, ++byteIndex) {
      // EAX byte 0 is the repeat count; bit 31 set marks a register without descriptors.
      if (byteIndex != 0 && (reg >> 31) == 0 && (reg >> (byte * 8) & 0xFF) == 0xFF) return true;
    }
  }
  return false;
}

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

    // Where leaf 2 defers the caches to leaf 4 (today's Intel parts), identification reads
    // leaf 4's further sub-leaves, which the dump cannot hold: the dumped machine is then
    // measured against the original without them.
    if (DefersCachesToLeaf4(machine)) {
      EXPECT_EQ(dumped.Identification(), DumpRig(WithoutSubLeaves(machine)).Identification());
    } else {
      EXPECT_EQ(dumped.Identification(), original.Identification());
    }
  }
}

}  // namespace
}  // namespace pacetta::testing
