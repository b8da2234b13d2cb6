#include "platform/sim/machine/machine_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/machine/k8_northbridge.h"
#include "platform/sim/machine/logical_processors.h"
#include "platform/sim/machine/own_dump_parser.h"
#include "platform/sim/machine/raw_dump_parser.h"
#include "platform/sim/machine/sidecar.h"

namespace pacetta::sim {
namespace {

// Far above any dump (the largest real one is under 64 KiB); keeps a wrong file from
// being read whole into memory.
constexpr std::uintmax_t kMaxMachineFileSize = 16 * 1024 * 1024;

std::string TooMany(size_t count) {
  return "the machine would have " + std::to_string(count) + " processors; at most " +
         std::to_string(kMaxMachineProcessors) + " are possible";
}

// One notice for every line the reader passed over; the first is named and quoted.
std::optional<std::string> SkippedLinesNotice(const SkippedLines& skipped,
                                              const std::string& fileName) {
  if (skipped.count == 0) return std::nullopt;
  const std::string what = skipped.count == 1
                               ? "skipped 1 line that is not part of a CPUID dump: "
                               : "skipped " + std::to_string(skipped.count) +
                                     " lines that are not part of a CPUID dump, the first: ";
  return MachineFileError{fileName, skipped.firstLine, what + skipped.firstText}.ToString();
}

Parsed<MachineSpec> MachineFromRawDump(RawDump dump, const std::string& fileName) {
  MachineSpec machine;
  if (auto notice = SkippedLinesNotice(dump.skipped, fileName))
    machine.notices.push_back(std::move(*notice));
  if (!dump.sectioned) {
    const auto& type = dump.processors.front();
    const auto count = ReportedLogicalCount(type.leaves);
    if (count > kMaxMachineProcessors) return MachineFileError{fileName, type.line, TooMany(count)};
    auto processors = BuildLogicalProcessors(type.leaves);
    if (auto clash = RepeatedApicId(processors))
      return MachineFileError{fileName, type.line,
                              "the topology leaves are inconsistent: " + clash->message};
    machine.processors = std::move(processors);
    return machine;
  }
  if (dump.processors.size() > kMaxMachineProcessors)
    return MachineFileError{fileName, dump.processors[kMaxMachineProcessors].line,
                            TooMany(dump.processors.size())};
  // Processors from before the APIC id field all read 0 there; their ids follow the order
  // in which the dump lists them, as the board's MP table numbers them.
  const bool numberInDumpOrder =
      std::none_of(dump.processors.begin(), dump.processors.end(),
                   [](const RawDumpProcessor& p) { return CarriesApicId(p.leaves); });
  // Sections may come in any order and count from 0 or 1; processor k is the k-th number.
  std::map<uint32_t, size_t> byNumber;
  for (size_t k = 0; k < dump.processors.size(); ++k) byNumber[dump.processors[k].number] = k;
  std::vector<int> lines;
  for (const auto& [number, k] : byNumber) {
    auto& section = dump.processors[k];
    ProcessorSpec processor;
    processor.apicId = numberInDumpOrder ? static_cast<uint32_t>(k) : ApicIdOf(section.leaves);
    processor.leaves = std::move(section.leaves);
    machine.processors.push_back(std::move(processor));
    lines.push_back(section.line);
  }
  if (auto clash = RepeatedApicId(machine.processors))
    return MachineFileError{fileName, lines[clash->processor], clash->message};
  return machine;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error) {
  std::error_code code;
  const auto size = std::filesystem::file_size(path, code);
  if (code) {
    error = "cannot be read: " + code.message();
    return std::nullopt;
  }
  if (size > kMaxMachineFileSize) {
    error = "is too large for a machine file";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot be opened";
    return std::nullopt;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

Parsed<MachineSpec> ParseMachineText(std::string_view text, const std::string& fileName) {
  auto parsed = [&]() -> Parsed<MachineSpec> {
    if (LooksLikeOwnDump(text)) return ParseOwnDump(text, fileName);
    auto dump = ParseRawCpuidDump(text, fileName);
    if (!dump.ok()) return dump.error();
    return MachineFromRawDump(std::move(dump).value(), fileName);
  }();
  if (!parsed.ok()) return parsed;
  auto& machine = parsed.value();
  AddK8Northbridges(machine);
  machine.name = std::filesystem::path(fileName).stem().string();
  machine.description = DescribeProcessors(machine);
  return parsed;
}

Parsed<MachineSpec> LoadMachineFile(const std::string& path) {
  std::string error;
  const auto text = ReadWholeFile(path, error);
  if (!text) return MachineFileError{path, 0, "the machine file " + error};
  auto machine = ParseMachineText(*text, path);
  if (!machine.ok()) return machine;

  const auto sidecarPath = path + ".json";
  if (!std::filesystem::exists(sidecarPath)) return machine;
  const auto sidecar = ReadWholeFile(sidecarPath, error);
  if (!sidecar) return MachineFileError{sidecarPath, 0, "the sidecar " + error};
  if (auto refused = ApplySidecar(*sidecar, sidecarPath, machine.value())) return *refused;
  return machine;
}

std::string DescribeProcessors(const MachineSpec& machine) {
  if (machine.processors.empty()) return "no processors";
  const auto& leaves = machine.processors.front().leaves;
  auto what = BrandStringOf(leaves);
  if (what.empty()) {
    char text[64];
    std::snprintf(text, sizeof text, " family %u model %u", FamilyOf(leaves), FullModelOf(leaves));
    what = VendorOf(leaves) + text;
  }
  for (auto& c : what) {
    if (c < 0x20 || c > 0x7E) c = '?';  // a damaged dump must not put control bytes in a listing
  }
  const auto count = machine.processors.size();
  return what + ", " + std::to_string(count) +
         (count == 1 ? " logical processor" : " logical processors");
}

}  // namespace pacetta::sim
