// The dump's text, line by line, against what the hardware answers.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <optional>

#include "hw/pinning.h"
#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/machine/pci_config.h"
#include "platform/sim/pc/sim_cpu_instructions.h"
#include "tests/dump/dump_rig.h"

namespace pacetta::testing {
namespace {

[[gnu::format(printf, 1, 2)]] std::string Line(const char* format, ...) {
  char text[160];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return std::string(text) + "\r\n";
}

constexpr char kBlank[] = "\r\n";

struct Leaves {
  uint32_t first;
  uint32_t last;
};

// What one processor's section must hold.
struct Section {
  std::string heading;
  std::vector<Leaves> leaves;
  std::vector<uint32_t> registers;
  std::optional<uint32_t> pciDevice;  // function 3 of this device on bus 0
};

std::string ExpectedText(DumpRig& rig, const std::vector<Section>& sections) {
  std::string text = Line("Tarvello CPU info dump") + std::string(41, '-') + kBlank + kBlank;
  for (uint32_t k = 0; k < sections.size(); ++k) {
    const Section& section = sections[k];
    text += section.heading + kBlank + kBlank;
    text += Line("CPUID\t\tEAX\t\tEBX\t\tECX\t\tEDX");
    for (const Leaves& range : section.leaves) {
      for (uint64_t next = range.first; next <= range.last; ++next) {
        const auto leaf = static_cast<uint32_t>(next);
        // The processor's own answer: a model makes some leaves (LongRun's present state).
        PinToProcessor(rig.Pc().View().processors, k);
        const auto r = rig.Pc().View().cpu.Cpuid(leaf, 0);
        UnpinThread(rig.Pc().View().processors);
        text += Line("%08X\t%08X\t%08X\t%08X\t%08X", leaf, r.eax, r.ebx, r.ecx, r.edx);
      }
    }
    text += kBlank + Line("MSR\t\tEDX\t\tEAX");
    for (const uint32_t index : section.registers) {
      const MsrRequest value = rig.ReadMsr(k, index);
      text += Line("%08X\t%08X\t%08X", index, value.high, value.low);
    }
    text += kBlank;
    if (section.pciDevice) {
      text += Line("PCI Bus 0, Device %X, Function 3", *section.pciDevice) + kBlank;
      text += Line("\t 0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F");
      for (uint32_t row = 0; row < 256; row += 16) {
        std::string bytes;
        for (uint32_t at = 0; at < 16; ++at) {
          const uint32_t word = rig.ReadPciDword(*section.pciDevice * 8 + 3, row + at / 4 * 4);
          char byte[4];
          std::snprintf(byte, sizeof byte, at == 15 ? "%02X" : "%02X ",
                        word >> (at % 4 * 8) & 0xFF);
          bytes += byte;
        }
        text += Line("%02X\t%s", row, bytes.c_str());
      }
      text += kBlank;
    }
  }
  return text;
}

sim::MachineSpec Catalogue(const char* name) {
  auto machine = sim::FindCatalogueMachine(name);
  if (!machine) throw std::runtime_error(std::string("no catalogue machine ") + name);
  return *machine;
}

// Two single-core K8 packages: processor 1 is node 1, whose northbridge is device 0x19.
// Its function 3 carries a mark of its own, so a block read from node 0 shows.
sim::MachineSpec TwoK8Nodes() {
  auto machine = Catalogue("k8-desktop");
  auto second = machine.processors[0];
  second.apicId = 1;
  auto& leaf1 = second.leaves.at({1, 0});
  leaf1.ebx = (leaf1.ebx & 0x00FFFFFF) | 1u << 24;
  machine.processors.push_back(second);
  auto node1 = *sim::FindPciDevice(machine, 0, 0x18 * 8 + 3);
  node1.devfn = 0x19 * 8 + 3;
  sim::WriteConfig32(node1, 0x44, 0x44332211);
  sim::PutPciDevice(machine, node1);
  return machine;
}

sim::MachineSpec HighestStandardLeaf(sim::MachineSpec machine, uint32_t highest) {
  for (auto& processor : machine.processors) processor.leaves[{0, 0}].eax = highest;
  return machine;
}

constexpr uint32_t kExt = 0x80000000;
const std::vector<uint32_t> kK7 = {0xC0010015, 0xC001001B, 0xC0010041, 0xC0010042};
const std::vector<uint32_t> kK8 = {0xC0010015, 0xC0010041, 0xC0010042};
const std::vector<uint32_t> kPentium = {0x17,  0x2A,  0x2C,  0x2D,  0x198, 0x199,
                                        0x19A, 0x19B, 0x19C, 0x19D, 0x1A0, 0x1A1};
const std::vector<uint32_t> kCore = {0x17,  0x2A,  0x2C,  0x2D,  0xCD,  0xCE,  0xEE,  0x194, 0x198,
                                     0x199, 0x19A, 0x19B, 0x19C, 0x19D, 0x1A0, 0x1A1, 0x1A2, 0x1AA};
const std::vector<uint32_t> kVia = {0x2A, 0x198, 0x199, 0x19A, 0x19B, 0x19C, 0x19D, 0x1A0};

std::vector<uint32_t> TransmetaRegisters() {
  std::vector<uint32_t> registers;
  for (const uint32_t first : {0x80860000u, 0x80860010u, 0x80860030u})
    for (uint32_t i = 0; i < 16; ++i) registers.push_back(first + i);
  return registers;
}

std::string Physical(int k) {
  return "System CPU #" + std::to_string(k) + " (physical/1st core)";
}
std::string Logical(int k) {
  return "System CPU #" + std::to_string(k) + " (logical/2nd core)";
}

TEST(DiagnosticDump, EveryLineAsTheFormatHasIt) {
  struct Case {
    const char* what;
    sim::MachineSpec machine;
    std::string faults;
    std::vector<Section> sections;
  };
  const Case cases[] = {
      // Leaf 0 says 20: all 21 standard leaves, though identification keeps 16. Only the
      // Core group, whose 18 registers include every one of the Pentium group's.
      {"Core 2 with 20 standard leaves",
       HighestStandardLeaf(Catalogue("core2-duo-laptop"), 20),
       "",
       {{Physical(0), {{0, 20}, {kExt, kExt + 8}}, kCore, {}},
        {Logical(1), {{0, 20}, {kExt, kExt + 8}}, kCore, {}}}},
      {"Pentium M",
       Catalogue("pentium-m-laptop"),
       "",
       {{Physical(0), {{0, 2}, {kExt, kExt + 4}}, kPentium, {}}}},
      // Hyper-Threading: the second logical processor of the core.
      {"Pentium 4 HT",
       Catalogue("pentium4-ht"),
       "",
       {{Physical(0), {{0, 5}, {kExt, kExt + 8}}, kPentium, {}},
        {Logical(1), {{0, 5}, {kExt, kExt + 8}}, kPentium, {}}}},
      // A register that cannot be read shows all ones; node 1's northbridge is device 19.
      {"two K8 nodes",
       TwoK8Nodes(),
       "fail-msr-read=0xC0010041",
       {{Physical(0), {{0, 1}, {kExt, kExt + 0x18}}, kK8, 0x18},
        {Physical(1), {{0, 1}, {kExt, kExt + 0x18}}, kK8, 0x19}}},
      {"K7",
       Catalogue("k7-mobile-laptop"),
       "",
       {{Physical(0), {{0, 1}, {kExt, kExt + 8}}, kK7, {}}}},
      {"VIA C7", Catalogue("via-c7"), "", {{Physical(0), {{0, 1}, {kExt, kExt + 6}}, kVia, {}}}},
      {"Transmeta",
       Catalogue("transmeta"),
       "",
       {{Physical(0),
         {{0, 1}, {kExt, kExt + 6}, {0x80860000, 0x80860007}},
         TransmetaRegisters(),
         {}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DumpRig rig(c.machine, c.faults);
    const std::string dump = rig.Dump();
    EXPECT_EQ(dump, ExpectedText(rig, c.sections));
  }
  // The expectation reads registers as the dump does; the injected fault and node 1's
  // mark are what the hardware holds, checked apart.
  DumpRig k8(TwoK8Nodes(), "fail-msr-read=0xC0010041");
  const std::string dump = k8.Dump();
  EXPECT_NE(dump.find("C0010041\tFFFFFFFF\tFFFFFFFF\r\n"), std::string::npos);
  const auto node1 = dump.find("PCI Bus 0, Device 19, Function 3\r\n");
  ASSERT_NE(node1, std::string::npos);
  const auto row40 = dump.find("\r\n40\t", node1);
  ASSERT_NE(row40, std::string::npos);
  EXPECT_EQ(dump.find("11 22 33 44"), row40 + 2 + 3 + 12) << "the mark, lowest byte first";
}

}  // namespace
}  // namespace pacetta::testing
