#include "cpu/dump/diagnostic_dump.h"

#include <cstdarg>
#include <cstdio>

#include "cpu/dump/dump_file.h"
#include "cpu/dump/leaf_ranges.h"
#include "cpu/dump/register_groups.h"
#include "cpu/dump/sub_leaves.h"
#include "cpu/pstate/kernel_policy.h"
#include "hw/k8_northbridge_devfn.h"
#include "hw/pinning.h"

namespace pacetta {
namespace {

constexpr char kHeader[] =
    "Tarvello CPU info dump\r\n"
    "-----------------------------------------\r\n"
    "\r\n";

[[gnu::format(printf, 2, 3)]] void Append(std::string& out, const char* format, ...) {
  char line[128];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  if (length > 0) out.append(line, static_cast<size_t>(length));
}

void DumpLeaves(std::string& out, platform::CpuInstructions& cpu, LeafRange range) {
  // Counted rather than compared against `last`, which may be the largest leaf number.
  for (uint32_t offset = 0; offset <= range.last - range.first; ++offset) {
    const uint32_t leaf = range.first + offset;
    const platform::CpuidResult r = cpu.Cpuid(leaf, 0);
    Append(out, "%08X\t%08X\t%08X\t%08X\t%08X\r\n", leaf, r.eax, r.ebx, r.ecx, r.edx);
  }
}

}  // namespace

void DumpMsr(std::string& out, CPortexDriver& driver, uint32_t index) {
  MsrRequest request;
  driver.ReadMsrValue(request, index);  // a failed read leaves the all-ones preset
  Append(out, "%08X\t%08X\t%08X\r\n", index, request.high, request.low);
}

void DumpPciFunction(std::string& out, const PciDwordReader& read, uint32_t bus, uint32_t device,
                     uint32_t function) {
  Append(out, "PCI Bus %X, Device %X, Function %X\r\n\r\n", bus, device, function);
  out += "\t 0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\r\n";
  for (uint32_t row = 0; row < 0x100; row += 0x10) {
    Append(out, "%02X\t", row);
    for (uint32_t word = 0; word < 4; ++word) {
      const uint32_t value = read(row + word * 4);
      // The bytes of a double word in address order: lowest first.
      Append(out, word == 3 ? "%02X %02X %02X %02X\r\n" : "%02X %02X %02X %02X ", value & 0xFF,
             (value >> 8) & 0xFF, (value >> 16) & 0xFF, value >> 24);
    }
  }
  out += "\r\n";
}

void DumpProcessor(const CpuInfo& cpu, DumpContext& context, std::string& out) {
  out += "CPUID\t\tEAX\t\tEBX\t\tECX\t\tEDX\r\n";
  const LeafRange standard = StandardDumpRange(context.cpu.Cpuid(0, 0).eax);
  DumpLeaves(out, context.cpu, standard);
  const uint32_t extended = context.cpu.Cpuid(kExtendedLeafBase, 0).eax;
  // Without bit 31 the answer is not an extended range (often the highest standard leaf).
  LeafRange extendedRange{0, 0};
  if ((extended & kExtendedLeafBase) != 0) {
    extendedRange = VendorDumpRange(kExtendedLeafBase, extended);
    DumpLeaves(out, context.cpu, extendedRange);
  }
  if (cpu.isTransmeta) {
    DumpLeaves(out, context.cpu,
               VendorDumpRange(kTransmetaLeafBase, context.cpu.Cpuid(kTransmetaLeafBase, 0).eax));
  }

  // Today's processors keep their caches and topology in further sub-leaves; without them
  // the dumped machine would not be the same machine. The families with rules of their
  // own keep the table as it always was.
  if (IsTodaysProcessor(cpu)) DumpSubLeaves(out, context.cpu, standard.last, extendedRange.last);

  out += "\r\nMSR\t\tEDX\t\tEAX\r\n";
  for (const uint32_t index : DumpedRegisters(cpu)) DumpMsr(out, context.driver, index);
  out += "\r\n";

  if (cpu.isK8) {
    // The package's node answers as device 0x18 + node; its function 3 is read through
    // the shared accessor, which reads zeros for a node that has no northbridge.
    const uint32_t node = cpu.packageId;
    DumpPciFunction(
        out, [&](uint32_t reg) { return context.northbridge.ReadDword(node, reg); }, 0,
        kK8FirstNorthbridgeDevice + node, kK8MiscControlFunction);
  }
}

platform::FileFault DumpToFile(const std::string& path, std::span<const CpuInfo> processors,
                               DumpContext& context) {
  ReplacingFile file(context.files, path);
  if (const auto fault = file.Open(); fault != platform::FileFault::kNone) return fault;
  file.Write(kHeader);
  std::string section;
  for (const CpuInfo& cpu : processors) {
    PinToProcessor(context.processors, cpu.index);
    section.clear();
    Append(section,
           cpu.isSecondary ? "System CPU #%u (logical/2nd core)\r\n\r\n"
                           : "System CPU #%u (physical/1st core)\r\n\r\n",
           cpu.index);
    DumpProcessor(cpu, context, section);
    file.Write(section);
  }
  UnpinThread(context.processors);
  return file.Finish();
}

}  // namespace pacetta
