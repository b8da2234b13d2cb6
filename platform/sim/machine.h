#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/cpu_instructions.h"
#include "platform/system.h"

namespace pacetta::sim {

// CPUID answers of one logical processor, keyed by (leaf, sub-leaf).
using CpuidLeaves = std::map<std::pair<uint32_t, uint32_t>, platform::CpuidResult>;

struct ProcessorSpec {
  uint32_t apicId = 0;
  CpuidLeaves leaves;
  // Model-specific registers whose power-on value differs from the family default.
  std::map<uint32_t, uint64_t> msrStart;
  // How far the time-stamp counter's rate is off its nominal rate, in parts per million
  // (negative: slower). Cores whose clocks ramp down on their own while halted, as
  // dual-core K8s do, drift apart by this much.
  double tscDriftPpm = 0.0;
};

// One device on PCI bus 0..255: its 256-byte configuration space at power-on.
struct PciDeviceSpec {
  uint32_t bus = 0;
  uint32_t devfn = 0;           // device * 8 + function
  std::vector<uint8_t> config;  // 256 bytes
};

// A simulated PC as a machine file describes it. Everything the CPUID dump cannot say
// comes from the optional sidecar or from the family's realistic defaults. Files are read
// by platform/sim/machine/machine_file.h, the built-in machines come from
// platform/sim/catalogue/catalogue.h; docs/machine-files.md describes both.
struct MachineSpec {
  std::string name;                       // catalogue name or file stem
  std::string description;                // one line, for listings
  std::vector<ProcessorSpec> processors;  // in system order; processor k = bit k
  // Processors the process may use; empty = all of them.
  std::optional<uint64_t> processAffinityMask;
  std::vector<PciDeviceSpec> pciDevices;
  std::vector<uint8_t> biosArea;  // 0xF0000..0xFFFFF, 64 KiB or empty
  platform::OsVersion os{6, 1, 7601, platform::kPlatformNt};
  // True: a 64-bit system (the program runs under emulation and uses Portex64).
  bool system64 = true;
  // What reading the machine file passed over, one line each ("file:line: ..."), for the
  // program to show when it starts on the machine.
  std::vector<std::string> notices;
};

}  // namespace pacetta::sim
