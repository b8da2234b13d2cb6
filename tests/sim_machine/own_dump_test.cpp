// The program's own diagnostic dump read back into a machine.
#include <gtest/gtest.h>

#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/machine/machine_file.h"
#include "platform/sim/machine/pci_config.h"
#include "tests/sim_machine/machine_test_support.h"

namespace pacetta::sim {
namespace {

// The dump lists sub-leaf 0 of each leaf only, so the machine written out keeps only those.
MachineSpec WithoutSubLeaves(MachineSpec machine) {
  for (auto& processor : machine.processors) {
    std::erase_if(processor.leaves, [](const auto& entry) { return entry.first.second != 0; });
  }
  return machine;
}

MachineSpec DumpableMachine() {
  auto machine = WithoutSubLeaves(*FindCatalogueMachine("k8-x2-laptop"));
  machine.processors[0].msrStart = {{0xC0010042, 0x0000000E0000020Aull}, {0xC0010015, 0x01000000}};
  machine.processors[1].msrStart = {{0xC0010042, 0x0000000E0000020Cull}};
  return machine;
}

TEST(OwnDump, WrittenDumpReadsBackToTheSameMachineWithEitherLineEnd) {
  const auto original = DumpableMachine();
  for (const std::string lineEnd : {"\r\n", "\n"}) {
    SCOPED_TRACE(lineEnd.size() == 2 ? "CR LF" : "LF");
    const auto parsed = ParseMachineText(testing::OwnDumpText(original, lineEnd), "cpuinfo.txt");
    ASSERT_TRUE(parsed.ok()) << parsed.error().ToString();
    const auto& machine = parsed.value();
    EXPECT_EQ(machine.name, "cpuinfo");
    ASSERT_EQ(machine.processors.size(), original.processors.size());
    for (size_t k = 0; k < machine.processors.size(); ++k) {
      EXPECT_EQ(machine.processors[k].apicId, original.processors[k].apicId);
      EXPECT_TRUE(testing::SameLeaves(machine.processors[k].leaves, original.processors[k].leaves));
      EXPECT_EQ(machine.processors[k].msrStart, original.processors[k].msrStart);
    }
    ASSERT_EQ(machine.pciDevices.size(), original.pciDevices.size());
    for (size_t i = 0; i < machine.pciDevices.size(); ++i) {
      EXPECT_EQ(machine.pciDevices[i].bus, original.pciDevices[i].bus);
      EXPECT_EQ(machine.pciDevices[i].devfn, original.pciDevices[i].devfn);
      EXPECT_EQ(machine.pciDevices[i].config, original.pciDevices[i].config);
    }
  }
}

constexpr const char* kTwoProcessorDump =
    "Tarvello CPU info dump\r\n"
    "-----------------------------------------\r\n"
    "\r\n"
    "System CPU #0 (physical/1st core)\r\n"
    "\r\n"
    "CPUID\t\tEAX\t\tEBX\t\tECX\t\tEDX\r\n"
    "00000000\t00000001\t68747541\t444D4163\t69746E65\r\n"
    "00000001\t00020FB1\t00020800\t00000001\t178BFBFF\r\n"
    "\r\n"
    "MSR\t\tEDX\t\tEAX\r\n"
    "C0010015\t00000000\t01000000\r\n"
    "C0010041\tFFFFFFFF\tFFFFFFFF\r\n"
    "\r\n"
    "PCI Bus 0, Device 18, Function 3\r\n"
    "\r\n"
    "\t 0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\r\n"
    "%ROWS0%"
    "\r\n"
    "System CPU #1 (logical/2nd core)\r\n"
    "\r\n"
    "CPUID\t\tEAX\t\tEBX\t\tECX\t\tEDX\r\n"
    "00000000\t00000001\t68747541\t444D4163\t69746E65\r\n"
    "00000001\t00020FB1\t01020800\t00000001\t178BFBFF\r\n"
    "\r\n"
    "MSR\t\tEDX\t\tEAX\r\n"
    "\r\n"
    "PCI Bus 0, Device 18, Function 3\r\n"
    "\r\n"
    "\t 0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\r\n"
    "%ROWS1%"
    "\r\n";

std::string Rows(uint8_t temperatureByte) {
  std::string rows;
  for (int row = 0; row < 256; row += 16) {
    char line[80];
    const uint8_t first = row == 0 ? 0x22 : row == 0xE0 ? temperatureByte : 0;
    std::snprintf(line, sizeof line, "%02X\t%02X 10 03 11 00 00 00 00 00 00 00 00 00 00 00 00\r\n",
                  row, first);
    rows += line;
  }
  return rows;
}

std::string TwoProcessorDump() {
  std::string text = kTwoProcessorDump;
  text.replace(text.find("%ROWS0%"), 7, Rows(0x40));
  text.replace(text.find("%ROWS1%"), 7, Rows(0x44));
  return text;
}

TEST(OwnDump, AbsentRegistersAndRepeatedPciBlocks) {
  const auto parsed = ParseMachineText(TwoProcessorDump(), "cpuinfo.txt");
  ASSERT_TRUE(parsed.ok()) << parsed.error().ToString();
  const auto& machine = parsed.value();
  ASSERT_EQ(machine.processors.size(), 2u);
  // All ones in both halves is how the dump shows a register it could not read.
  EXPECT_EQ(machine.processors[0].msrStart,
            (std::map<uint32_t, uint64_t>{{0xC0010015, 0x01000000}}));
  EXPECT_TRUE(machine.processors[1].msrStart.empty());
  EXPECT_EQ(machine.processors[1].apicId, 1u);
  // Both cores dump function 3 of the one northbridge; the first block is the machine's,
  // and the K8 reader adds the functions the dump did not show.
  const auto* f3 = FindPciDevice(machine, 0, 0xC3);
  ASSERT_NE(f3, nullptr);
  EXPECT_EQ(f3->config[0xE0], 0x40);
  EXPECT_EQ(ReadConfig32(*f3, 0), 0x11031022u);
  EXPECT_NE(FindPciDevice(machine, 0, 0xC0), nullptr);
}

TEST(OwnDump, ABlockOfADeviceNoBusHasIsReadAndDropped) {
  // The program dumps a K8 node above the eighth as device 0x18 + node, past the 32
  // devices of a bus.
  auto text = TwoProcessorDump();
  const auto second = text.rfind("Device 18");
  ASSERT_NE(second, std::string::npos);
  text.replace(second, 9, "Device 20");
  const auto parsed = ParseMachineText(text, "cpuinfo.txt");
  ASSERT_TRUE(parsed.ok()) << parsed.error().ToString();
  ASSERT_EQ(parsed.value().processors.size(), 2u);
  EXPECT_EQ(parsed.value().processors[1].leaves.size(), 2u);
  for (const auto& device : parsed.value().pciDevices) EXPECT_LT(device.devfn >> 3, 0x20u);
  const auto* f3 = FindPciDevice(parsed.value(), 0, 0xC3);
  ASSERT_NE(f3, nullptr);
  EXPECT_EQ(f3->config[0xE0], 0x40);
}

TEST(OwnDump, MalformedDumpsNameTheirLine) {
  struct Case {
    const char* what;
    std::string from, to;
    int line;
  };
  const Case cases[] = {
      {"truncated leaf", "00000001\t00020FB1\t00020800\t00000001\t178BFBFF\r\n",
       "00000001\t00020FB1\t0002\r\n", 8},
      {"bad hex", "C0010015\t00000000\t01000000", "C0010015\t0000000G\t01000000", 11},
      {"repeated processor", "System CPU #1", "System CPU #0", 34},
      {"repeated register", "C0010041\tFFFFFFFF", "C0010015\tFFFFFFFF", 12},
      {"PCI row out of order", "10\t00 10 03 11", "20\t00 10 03 11", 18},
      {"short PCI block", "F0\t00 10 03 11 00 00 00 00 00 00 00 00 00 00 00 00\r\n\r\nSystem",
       "\r\nSystem", 32},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto text = TwoProcessorDump();
    const auto at = text.find(c.from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, c.from.size(), c.to);
    const auto parsed = ParseMachineText(text, "bad.txt");
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.error().file, "bad.txt");
    EXPECT_EQ(parsed.error().line, c.line) << parsed.error().ToString();
  }

  const auto noSections = ParseMachineText("Tarvello CPU info dump\n---\n\n", "empty.txt");
  ASSERT_FALSE(noSections.ok());
  EXPECT_EQ(noSections.error().line, 3);
}

}  // namespace
}  // namespace pacetta::sim
