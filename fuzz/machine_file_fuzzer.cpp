// A machine file of the simulated PC, read as `--simulate=FILE` reads it: a raw CPUID
// dump in any of its layouts (with or without per-processor sections) or the program's
// own diagnostic dump, told apart by content.
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "fuzz/machine_text_checks.h"
#include "platform/sim/machine/machine_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pacetta;
  const std::string path = fuzz::PrivateFolder() + "/machine.test";
  fuzz::WriteFile(path, {data, size});
  const auto machine = sim::LoadMachineFile(path);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!machine.ok()) {
    fuzz::CheckMachineFileError(machine.error(), path, text);
    return 0;
  }
  const sim::MachineSpec& spec = machine.value();
  FUZZ_CHECK(!spec.processors.empty() && spec.processors.size() <= sim::kMaxMachineProcessors);
  FUZZ_CHECK(spec.name == "machine");
  for (const std::string& notice : spec.notices) fuzz::CheckOneLine(notice);
  fuzz::CheckOneLine(sim::DescribeProcessors(spec));
  return 0;
}
