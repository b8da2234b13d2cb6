#include "tests/sim_machine/machine_test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace pacetta::sim::testing {

std::filesystem::path SharedDumpFolder() {
  return std::filesystem::path(PACETTA_SOURCE_DIR) / ".." / "shared" / "cpuid";
}

std::vector<std::filesystem::path> SharedDumps() {
  std::vector<std::filesystem::path> dumps;
  std::error_code error;
  // With the dumps of today's processors in the folder's modern/ folder.
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(SharedDumpFolder(), error)) {
    if (entry.path().extension() == ".test") dumps.push_back(entry.path());
  }
  std::sort(dumps.begin(), dumps.end());
  return dumps;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> DerivedValues(const std::string& dumpText) {
  std::istringstream in(dumpText);
  std::vector<std::string> values;
  bool derived = false;
  for (std::string line; std::getline(in, line);) {
    if (derived) {
      values.push_back(line);
    } else if (line.size() >= 40 && line.find_first_not_of('-') == std::string::npos) {
      derived = true;
    }
  }
  return values;
}

TempFolder::TempFolder() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("pacetta-sim-machine-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& content) const {
  const auto file = path_ / name;
  std::ofstream(file, std::ios::binary) << content;
  return file.string();
}

namespace {

std::string Format(const char* format, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

std::string OwnDumpText(const MachineSpec& machine, const std::string& lineEnd) {
  const auto& n = lineEnd;
  std::string out = "Tarvello CPU info dump" + n + std::string(41, '-') + n + n;
  for (size_t k = 0; k < machine.processors.size(); ++k) {
    const auto& processor = machine.processors[k];
    out += Format("System CPU #%d (%s)", static_cast<int>(k),
                  k % 2 == 1 ? "logical/2nd core" : "physical/1st core") +
           n + n;
    out += "CPUID\t\tEAX\t\tEBX\t\tECX\t\tEDX" + n;
    for (const auto& [key, r] : processor.leaves) {
      out += Format("%08X\t%08X\t%08X\t%08X\t%08X", key.first, r.eax, r.ebx, r.ecx, r.edx) + n;
    }
    out += n + "MSR\t\tEDX\t\tEAX" + n;
    for (const auto& [index, value] : processor.msrStart) {
      out += Format("%08X\t%08X\t%08X", index, static_cast<unsigned>(value >> 32),
                    static_cast<unsigned>(value)) +
             n;
    }
    out += n;
    for (const auto& device : machine.pciDevices) {
      out += Format("PCI Bus %X, Device %X, Function %X", device.bus, device.devfn >> 3,
                    device.devfn & 7) +
             n + n;
      out += "\t 0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F" + n;
      for (unsigned row = 0; row < 256; row += 16) {
        out += Format("%02X\t", row);
        for (unsigned i = 0; i < 16; ++i)
          out += Format(i == 15 ? "%02X" : "%02X ", device.config[row + i]);
        out += n;
      }
      out += n;
    }
  }
  return out;
}

bool SameLeaves(const CpuidLeaves& a, const CpuidLeaves& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.first == y.first && x.second.eax == y.second.eax && x.second.ebx == y.second.ebx &&
           x.second.ecx == y.second.ecx && x.second.edx == y.second.edx;
  });
}

}  // namespace pacetta::sim::testing
