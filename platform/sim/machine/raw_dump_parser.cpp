#include "platform/sim/machine/raw_dump_parser.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "platform/sim/machine/raw_dump_line.h"
#include "platform/sim/machine/text_lines.h"

namespace pacetta::sim {
namespace {

std::string LeafName(uint32_t leaf, uint32_t subleaf) {
  char text[40];
  std::snprintf(text, sizeof text, "leaf %08X sub-leaf %u", leaf, subleaf);
  return text;
}

bool SameResult(const platform::CpuidResult& a, const platform::CpuidResult& b) {
  return a.eax == b.eax && a.ebx == b.ebx && a.ecx == b.ecx && a.edx == b.edx;
}

class RawDumpBuilder {
 public:
  explicit RawDumpBuilder(const std::string& fileName) : fileName_(fileName) {}

  std::optional<MachineFileError> StartSection(uint32_t number, int line) {
    if (!dump_.sectioned && !dump_.processors.empty())
      return Fail(line, "CPU section after leaves that belong to no section");
    if (!numbers_.insert(number).second)
      return Fail(line, "CPU #" + std::to_string(number) + " appears twice");
    dump_.sectioned = true;
    dump_.processors.push_back({number, line, {}});
    linesPerLeaf_.clear();
    return std::nullopt;
  }

  std::optional<MachineFileError> AddLeaf(const RawDumpLine& parsed, int line) {
    if (dump_.processors.empty()) dump_.processors.push_back({0, line, {}});
    // Repeated lines of one leaf without a sub-leaf remark list its sub-leaves in order.
    auto& count = linesPerLeaf_[parsed.leaf];
    const uint32_t subleaf = parsed.subleaf.value_or(count);
    ++count;
    auto& leaves = dump_.processors.back().leaves;
    const auto [it, inserted] = leaves.emplace(std::make_pair(parsed.leaf, subleaf), parsed.value);
    // The indexed form restates leaf 4 and 0xB sub-leaf 0 in its per-leaf lines; a
    // restatement is harmless, a contradiction is not.
    if (!inserted && !SameResult(it->second, parsed.value))
      return Fail(line, LeafName(parsed.leaf, subleaf) + " given twice with different values");
    return std::nullopt;
  }

  Parsed<RawDump> Finish(int lastLine) {
    if (dump_.processors.empty()) return Fail(std::max(lastLine, 1), "no CPUID leaves found");
    for (const auto& processor : dump_.processors) {
      if (processor.leaves.count({0, 0}) == 0)
        return Fail(processor.line, "CPU #" + std::to_string(processor.number) +
                                        " has no leaf 0 (highest leaf and vendor)");
    }
    return std::move(dump_);
  }

  MachineFileError Fail(int line, std::string message) const {
    return {fileName_, line, std::move(message)};
  }

 private:
  const std::string& fileName_;
  RawDump dump_;
  std::set<uint32_t> numbers_;
  std::map<uint32_t, uint32_t> linesPerLeaf_;
};

}  // namespace

Parsed<RawDump> ParseRawCpuidDump(std::string_view text, const std::string& fileName) {
  RawDumpBuilder builder(fileName);
  int lastLine = 0;
  for (const auto& line : SplitLines(text)) {
    lastLine = line.number;
    const auto parsed = ReadRawDumpLine(line.text);
    std::optional<MachineFileError> error;
    switch (parsed.kind) {
      case RawDumpLine::Kind::kBlank:
        break;
      case RawDumpLine::Kind::kEndOfLeaves:
        return builder.Finish(line.number);
      case RawDumpLine::Kind::kSection:
        error = builder.StartSection(parsed.sectionNumber, line.number);
        break;
      case RawDumpLine::Kind::kLeaf:
        error = builder.AddLeaf(parsed, line.number);
        break;
      case RawDumpLine::Kind::kError:
        error = builder.Fail(line.number, parsed.error);
        break;
    }
    if (error) return *error;
  }
  return builder.Finish(lastLine);
}

}  // namespace pacetta::sim
