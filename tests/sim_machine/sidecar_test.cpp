// The JSON sidecar beside a machine file: what it sets, and what it refuses.
#include "platform/sim/machine/sidecar.h"

#include <gtest/gtest.h>

#include "platform/sim/machine/machine_file.h"
#include "platform/sim/machine/pci_config.h"
#include "tests/sim_machine/machine_test_support.h"

namespace pacetta::sim {
namespace {

// A dual-core K8 without sections: two processors, northbridge functions 18h.0..3.
constexpr const char* kDump =
    "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n"
    "CPUID 00000001: 00020FB1-00020800-00000001-178BFBFF\n"
    "CPUID 80000000: 80000008-68747541-444D4163-69746E65\n"
    "CPUID 80000008: 00003028-00000000-00000001-00000000\n";

TEST(Sidecar, LoadMachineFileAppliesEveryKey) {
  testing::TempFolder folder;
  const auto dump = folder.Write("laptop.test", kDump);
  folder.Write("bios.bin", std::string(0x10000, '\x5A'));
  folder.Write("laptop.test.json", R"({
    "name": "my-laptop",
    "description": "The laptop on my desk",
    "os": {"major": 5, "minor": 1, "build": 2600, "platform": "nt"},
    "system64": false,
    "processAffinityMask": "0x1",
    "msrStart": {
      "1": {"0xC0010042": "0x0000000E0000020C"},
      "all": {"0xC0010042": "0x0000000E0000020A", "3221291029": 16777216}
    },
    "pciDevices": [
      {"bus": 0, "device": 0, "function": 0, "config": "02 10 10 79"},
      {"bus": 0, "device": 24, "function": 3, "dwords": {"0xE4": "0x00004000"}}
    ],
    "biosArea": "bios.bin",
    "tscDriftPpm": {"1": -120.5, "all": 30}
  })");
  const auto parsed = LoadMachineFile(dump);
  ASSERT_TRUE(parsed.ok()) << parsed.error().ToString();
  const auto& machine = parsed.value();
  EXPECT_EQ(machine.name, "my-laptop");
  EXPECT_EQ(machine.description, "The laptop on my desk");
  EXPECT_EQ(machine.os.build, 2600u);
  EXPECT_EQ(machine.os.platformId, platform::kPlatformNt);
  EXPECT_FALSE(machine.system64);
  EXPECT_EQ(machine.processAffinityMask, 1u);
  // A processor's own value wins over "all", whatever the order in the file.
  EXPECT_EQ(machine.processors[0].msrStart.at(0xC0010042), 0x0000000E0000020Aull);
  EXPECT_EQ(machine.processors[1].msrStart.at(0xC0010042), 0x0000000E0000020Cull);
  EXPECT_EQ(machine.processors[1].msrStart.at(0xC0010015), 0x01000000u);
  const auto* host = FindPciDevice(machine, 0, 0);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(ReadConfig32(*host, 0), 0x79101002u);
  EXPECT_EQ(host->config.size(), 256u);
  // "dwords" alone changes the function the machine already has.
  const auto* f3 = FindPciDevice(machine, 0, 0xC3);
  ASSERT_NE(f3, nullptr);
  EXPECT_EQ(ReadConfig32(*f3, 0), 0x11031022u);
  EXPECT_EQ(ReadConfig32(*f3, 0xE4), 0x4000u);
  ASSERT_EQ(machine.biosArea.size(), 0x10000u);
  EXPECT_EQ(machine.biosArea[0x1234], 0x5A);
  EXPECT_EQ(machine.processors[0].tscDriftPpm, 30.0);
  EXPECT_EQ(machine.processors[1].tscDriftPpm, -120.5);
}

TEST(Sidecar, NullRemovesARegisterTheDumpGave) {
  MachineSpec machine;
  machine.processors.resize(1);
  machine.processors[0].msrStart[0x198] = 0x0612;
  ASSERT_FALSE(ApplySidecar(R"({"msrStart": {"0": {"0x198": null}}})", "m.json", machine));
  EXPECT_TRUE(machine.processors[0].msrStart.empty());
}

TEST(Sidecar, RefusalsNameTheLineAndLeaveTheMachineAlone) {
  struct Case {
    const char* what;
    const char* json;
    int line;
  };
  const Case cases[] = {
      {"unknown key", "{\n \"name\": \"x\",\n \"batteries\": []\n}", 3},
      {"unknown nested key", "{\"os\": {\n \"major\": 5,\n \"servicePack\": 2}}", 3},
      {"wrong type", "{\n\n \"system64\": \"yes\"\n}", 3},
      {"negative number", "{\"os\":\n {\"major\": -5}}", 2},
      {"number too large",
       "{\"pciDevices\": [\n {\"bus\": 0,\n  \"device\": 32, \"function\": 0}]}", 3},
      {"device without bus", "{\"pciDevices\": [\n\n {\"device\": 1, \"function\": 0}]}", 3},
      {"odd config",
       "{\"pciDevices\": [{\"bus\": 0, \"device\": 1, \"function\": 0,\n \"config\": \"0\"}]}", 2},
      {"unaligned dword",
       "{\"pciDevices\": [{\"bus\": 0, \"device\": 1, \"function\": 0,\n \"dwords\": {\"0x41\": "
       "1}}]}",
       2},
      {"processor out of range", "{\"msrStart\": {\n \"2\": {}}}", 2},
      {"register not a number", "{\"msrStart\": {\"all\": {\n \"IA32_PERF\": 1}}}", 2},
      {"mask naming a missing processor", "{\n \"processAffinityMask\": 4}", 2},
      {"empty mask", "{\n \"processAffinityMask\": 0}", 2},
      {"missing BIOS file", "{\n \"biosArea\": \"no-such.bin\"}", 2},
      {"drift as text", "{\"tscDriftPpm\": {\n \"all\": \"-50\"}}", 2},
      {"drift beyond a tenth", "{\"tscDriftPpm\": {\n \"1\": 100001}}", 2},
      {"drift of a missing processor", "{\"tscDriftPpm\": {\n \"2\": 5}}", 2},
      {"duplicate key", "{\"name\": \"a\",\n \"name\": \"b\"}", 2},
      {"syntax error", "{\"name\": \"a\",\n\n \"system64\" true}", 3},
      {"not an object", "[1, 2]", 1},
      {"empty sidecar", "", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MachineSpec machine;
    machine.name = "before";
    machine.processors.resize(2);
    const auto error = ApplySidecar(c.json, "/machines/laptop.test.json", machine);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->file, "/machines/laptop.test.json");
    EXPECT_EQ(error->line, c.line) << error->ToString();
    EXPECT_EQ(machine.name, "before");
  }
}

TEST(Sidecar, BiosAreaMustBeExactly64KiB) {
  testing::TempFolder folder;
  folder.Write("short.bin", std::string(0x8000, '\0'));
  const auto sidecar = (folder.path() / "m.json").string();
  MachineSpec machine;
  const auto error = ApplySidecar(R"({"biosArea": "short.bin"})", sidecar, machine);
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->message.find("65536"), std::string::npos);
}

TEST(Sidecar, RefusedSidecarFailsTheWholeMachineFile) {
  testing::TempFolder folder;
  const auto dump = folder.Write("laptop.test", kDump);
  folder.Write("laptop.test.json", "{\"thermalLimit\": 95}");
  const auto parsed = LoadMachineFile(dump);
  ASSERT_FALSE(parsed.ok());
  EXPECT_EQ(parsed.error().file, dump + ".json");
  EXPECT_EQ(parsed.error().line, 1);
  EXPECT_NE(parsed.error().message.find("thermalLimit"), std::string::npos);
}

}  // namespace
}  // namespace pacetta::sim
