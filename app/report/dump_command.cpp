#include "app/report/dump_command.h"

#include <vector>

#include "cpu/dump/diagnostic_dump.h"
#include "cpu/identify/identify_processor.h"
#include "hw/k8_northbridge.h"
#include "hw/topology.h"

namespace pacetta {
namespace {

const char* Reason(platform::FileFault fault) {
  switch (fault) {
    case platform::FileFault::kNoSpace:
      return "the disk is full";
    case platform::FileFault::kNotWritable:
      return "the folder is missing or read-only, the name is a folder or access is denied";
    default:
      return "the system refused to write it";
  }
}

}  // namespace

int RunDumpCommand(platform::Platform& platform, const std::string& path, std::FILE* errors) {
  CPortexDriver driver(platform);
  if (driver.Open(0) != 0) {
    std::fputs("pacetta: the driver is not available; registers show as FFFFFFFF\n", errors);
  }
  // The dump needs the topology and the family flags only: the records are not completed,
  // so nothing is written to the processors.
  IdentifyContext identify{platform.processors, platform.cpu, driver, nullptr};
  std::vector<CpuInfo> records(UsableProcessorCount(platform.processors));
  AssignTopology(platform, records);
  for (CpuInfo& record : records) IdentifyProcessor(record, identify);

  CK8Northbridge northbridge(driver);
  DumpContext context{platform.processors, platform.cpu, driver, northbridge, platform.logFiles};
  const platform::FileFault fault = DumpToFile(path, records, context);
  if (fault == platform::FileFault::kNone) return 0;
  std::fprintf(errors, "pacetta: cannot write the diagnostic dump to %s: %s\n", path.c_str(),
               Reason(fault));
  return 1;
}

}  // namespace pacetta
