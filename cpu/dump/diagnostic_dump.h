#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "cpu/cpu_info.h"
#include "hw/k8_northbridge.h"
#include "hw/portex_driver.h"
#include "platform/cpu_instructions.h"
#include "platform/log_files.h"
#include "platform/processors.h"

namespace pacetta {

// What the diagnostic dump reads the processors through and writes its file with.
struct DumpContext {
  platform::Processors& processors;
  platform::CpuInstructions& cpu;
  CPortexDriver& driver;
  // The program's shared accessor: the sampler reads K8 temperatures through it while the
  // dump runs, and a configuration access must not interleave with theirs.
  CK8Northbridge& northbridge;
  platform::LogFiles& files;
};

// One configuration double word, by register offset, of the function being dumped.
using PciDwordReader = std::function<uint32_t(uint32_t reg)>;

// One register line: index, EDX and EAX, read on the calling thread's processor. A
// register that cannot be read shows all ones in both halves.
void DumpMsr(std::string& out, CPortexDriver& driver, uint32_t index);

// The heading and the 256 bytes of one PCI function's configuration space, sixteen a row.
void DumpPciFunction(std::string& out, const PciDwordReader& read, uint32_t bus, uint32_t device,
                     uint32_t function);

// One processor's section below its heading, read afresh on the processor the calling
// thread is pinned to: the identification leaves, the family's registers and, on a K8,
// its node's miscellaneous-control function. Writes nothing to the processor.
void DumpProcessor(const CpuInfo& cpu, DumpContext& context, std::string& out);

// Writes the dump of every processor to `path`, replacing what it held, with the calling
// thread pinned to each processor in turn and unpinned at the end. kNone when the whole
// file was written; otherwise why not (the page stays silent, the command line says it).
platform::FileFault DumpToFile(const std::string& path, std::span<const CpuInfo> processors,
                               DumpContext& context);

}  // namespace pacetta
