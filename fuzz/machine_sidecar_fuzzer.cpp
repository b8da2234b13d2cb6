// A machine file's JSON sidecar, applied to a dual-core K8 laptop read from its dump.
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "fuzz/machine_text_checks.h"
#include "platform/sim/machine/machine_file.h"
#include "platform/sim/machine/sidecar.h"

namespace pacetta::fuzz {
namespace {

constexpr std::string_view kDump =
    "------[ Logical CPU #0 ]------\n"
    "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n"
    "CPUID 00000001: 00060F82-01020800-00000001-178BFBFF\n"
    "CPUID 80000000: 80000018-68747541-444D4163-69746E65\n"
    "CPUID 80000001: 00060F82-00000CE3-0000001F-EBD3FBFF\n"
    "CPUID 80000007: 00000000-00000000-00000000-0000007F\n"
    "CPUID 80000008: 00003028-00000000-00000001-00000000\n"
    "------[ Logical CPU #1 ]------\n"
    "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n"
    "CPUID 00000001: 00060F82-00020800-00000001-178BFBFF\n"
    "CPUID 80000000: 80000018-68747541-444D4163-69746E65\n"
    "CPUID 80000001: 00060F82-00000CE3-0000001F-EBD3FBFF\n"
    "CPUID 80000007: 00000000-00000000-00000000-0000007F\n"
    "CPUID 80000008: 00003028-00000000-00000001-00000000\n";

const sim::MachineSpec& Machine() {
  static const sim::MachineSpec machine = [] {
    auto parsed = sim::ParseMachineText(kDump, "k8.test");
    FUZZ_CHECK(parsed.ok());
    return std::move(parsed).value();
  }();
  return machine;
}

// What a refused sidecar must leave as it was.
bool Unchanged(const sim::MachineSpec& a, const sim::MachineSpec& b) {
  if (a.processors.size() != b.processors.size()) return false;
  for (size_t i = 0; i < a.processors.size(); ++i) {
    const sim::ProcessorSpec& x = a.processors[i];
    const sim::ProcessorSpec& y = b.processors[i];
    if (x.apicId != y.apicId || x.msrStart != y.msrStart || x.tscDriftPpm != y.tscDriftPpm)
      return false;
  }
  if (a.pciDevices.size() != b.pciDevices.size()) return false;
  for (size_t i = 0; i < a.pciDevices.size(); ++i) {
    if (a.pciDevices[i].devfn != b.pciDevices[i].devfn ||
        a.pciDevices[i].config != b.pciDevices[i].config)
      return false;
  }
  return a.name == b.name && a.description == b.description &&
         a.processAffinityMask == b.processAffinityMask && a.biosArea == b.biosArea &&
         a.system64 == b.system64 && a.os.major == b.os.major && a.os.minor == b.os.minor &&
         a.os.build == b.os.build && a.notices == b.notices;
}

}  // namespace
}  // namespace pacetta::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pacetta;
  // Beside a file of the private folder, so that a BIOS area it names is looked for there.
  const std::string path = fuzz::PrivateFolder() + "/k8.test.json";
  const std::string_view json(reinterpret_cast<const char*>(data), size);
  sim::MachineSpec machine = fuzz::Machine();
  if (const auto error = sim::ApplySidecar(json, path, machine)) {
    fuzz::CheckMachineFileError(*error, path, json);
    FUZZ_CHECK(fuzz::Unchanged(machine, fuzz::Machine()));
    return 0;
  }
  FUZZ_CHECK(machine.processors.size() == fuzz::Machine().processors.size());
  if (!machine.biosArea.empty()) FUZZ_CHECK(machine.biosArea.size() == 0x10000);
  for (const std::string& notice : machine.notices) fuzz::CheckOneLine(notice);
  return 0;
}
