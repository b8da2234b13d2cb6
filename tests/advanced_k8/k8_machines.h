#pragma once
// Simulated K8 machines for the advanced settings' tests: machine files made from the
// catalogue's dumps, with the northbridge's power-management registers as a firmware left
// them, every bit set (so a bit the program must not touch reads 1), and the register
// trace of every access the program makes.
#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/catalogue/embedded_files.h"
#include "tests/test_support/temp_folder.h"
#include "tests/test_support/trace_rows.h"

namespace pacetta::testing {

struct K8MachineFile {
  const char* name;
  const char* dump;         // catalogue dump the processors come from
  const char* signatureOf;  // leaf 1 and 80000001h EAX in the dump ...
  const char* signature;    // ... and what they become
};

// A revision D Athlon 64 (Winchester, extended model 1): no alternate VID.
inline constexpr K8MachineFile kRevisionD{"k8-rev-d", "amd-athlon-64-processor-3200+.test",
                                          "00020FF0", "00010FF0"};
// A revision E Athlon 64 X2 (extended model 2): two cores on one node, alternate VID.
inline constexpr K8MachineFile kRevisionEX2{
    "k8-x2-rev-e", "amd-athlon-64-x2-dual-core-processor-3800+.test", "00020FB1", "00020FB1"};

// Writes the machine file and its sidecar into `folder`; returns the machine file.
inline std::string WriteK8Machine(const TempFolder& folder, const K8MachineFile& file,
                                  uint32_t registerStart = 0xFFFFFFFF) {
  std::string text(sim::FindEmbeddedCatalogueFile(file.dump).value());
  for (size_t at = text.find(file.signatureOf); at != std::string::npos;
       at = text.find(file.signatureOf, at + 1)) {
    text.replace(at, 8, file.signature);
  }
  const std::string path = folder.File(std::string(file.name) + ".test");
  std::ofstream(path) << text;
  char start[16];
  std::snprintf(start, sizeof start, "0x%08X", registerStart);
  std::ofstream(path + ".json")
      << R"({"pciDevices": [{"bus": 0, "device": 24, "function": 3, "dwords": {)"
      << R"("0x80": ")" << start << R"(", "0x84": ")" << start << R"(", "0xD4": ")" << start
      << R"(", "0xD8": ")" << start << R"("}}]})";
  return path;
}

// One traced PCI configuration access.
struct PciAccess {
  bool write = false;
  std::string reg;  // "00:18.3+0x80"
  uint32_t value = 0;
};

inline std::vector<PciAccess> TracedPciAccesses(const std::string& tracePath) {
  std::vector<PciAccess> accesses;
  for (const auto& fields : ReadTraceRows(tracePath)) {
    if (fields.size() < 6 || (fields[2] != "pci-read" && fields[2] != "pci-write")) continue;
    if (fields[5] == "-") continue;
    accesses.push_back({fields[2] == "pci-write", fields[3],
                        static_cast<uint32_t>(std::stoul(fields[5], nullptr, 16))});
  }
  return accesses;
}

}  // namespace pacetta::testing
