#pragma once
// Simulated machines with an Intel I/O controller hub for the chipset settings' tests:
// the catalogue's laptops, and machine files whose sidecar puts a hub of another kind (or
// one the firmware left otherwise) at bus 0, device 1Fh; plus the register trace's lines.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/catalogue/embedded_files.h"
#include "tests/test_support/temp_folder.h"
#include "tests/test_support/trace_rows.h"

namespace pacetta::testing {

// The hub's start: identifiers, PMBASE (40h), ACPI_CNTL (44h), A0h..A3h and A8h..ABh.
struct HubStart {
  uint16_t deviceId;
  uint32_t pmBase = 0x00001001;
  uint32_t acpiControl = 0;
  uint32_t pmcon = 0;
  uint32_t stateTiming = 0;
};

// A Core 2 machine file (the catalogue laptop's processors) with `hub` in its sidecar.
inline std::string WriteIchMachine(const TempFolder& folder, const std::string& name,
                                   const HubStart& hub) {
  const std::string path = folder.File(name + ".test");
  std::ofstream(path) << sim::FindEmbeddedCatalogueFile("intel-core2-duo-cpu-t7500.test").value();
  const auto hex = [](uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "\"0x%08X\"", value);
    return std::string(text);
  };
  std::ofstream(path + ".json") << R"({"pciDevices": [{"bus": 0, "device": 31, "function": 0, )"
                                << R"("dwords": {"0x00": )" << hex(0x8086u | hub.deviceId << 16)
                                << R"(, "0x40": )" << hex(hub.pmBase) << R"(, "0x44": )"
                                << hex(hub.acpiControl) << R"(, "0xA0": )" << hex(hub.pmcon)
                                << R"(, "0xA8": )" << hex(hub.stateTiming) << "}}]}";
  return path;
}

// One traced access: kind ("pci-write", "port-out", ...), register ("00:1F.0+0xA0",
// "0x1010"), width and value.
struct TracedAccess {
  std::string kind;
  std::string reg;
  unsigned width = 0;
  uint32_t value = 0;
};

inline std::vector<TracedAccess> TracedAccesses(const std::string& tracePath) {
  std::vector<TracedAccess> accesses;
  for (const auto& fields : ReadTraceRows(tracePath)) {
    if (fields.size() < 6 || fields[5] == "-") continue;
    accesses.push_back({fields[2], fields[3], static_cast<unsigned>(std::stoul(fields[4])),
                        static_cast<uint32_t>(std::stoul(fields[5], nullptr, 16))});
  }
  return accesses;
}

}  // namespace pacetta::testing
