#include "platform/sim/machine/raw_dump_parser.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "platform/sim/machine/cpuid_fields.h"
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
    if (!headers_ && !dump_.processors.empty())
      return Fail(line, "CPU section after leaves that belong to no section");
    headers_ = true;
    return AddSection(number, line);
  }

  std::optional<MachineFileError> AddLeaf(const RawDumpLine& parsed, int line) {
    if (dump_.processors.empty()) dump_.processors.push_back({0, line, {}});
    // Leaf 0 has no sub-leaves: a second one begins the next processor's leaves. Some tools
    // list processors one after another without headers; within a headed section, it
    // follows a header this reader does not know.
    if (parsed.leaf == 0 && !parsed.subleaf && dump_.processors.back().leaves.count({0, 0})) {
      if (headers_)
        return Fail(line,
                    "leaf 0 again: another processor's leaves begin here without a "
                    "section header this reader knows");
      if (auto error = AddSection(static_cast<uint32_t>(dump_.processors.size()), line))
        return error;
    }
    auto& leaves = dump_.processors.back().leaves;
    // Repeated lines of one leaf without a sub-leaf remark list its sub-leaves in order.
    auto& count = linesPerLeaf_[parsed.leaf];
    const uint32_t subleaf = parsed.subleaf.value_or(count);
    ++count;
    const auto [it, inserted] = leaves.emplace(std::make_pair(parsed.leaf, subleaf), parsed.value);
    // The indexed form restates leaf 4 and 0xB sub-leaf 0 in its per-leaf lines; a
    // restatement is harmless, a contradiction is not.
    if (!inserted && !SameResult(it->second, parsed.value))
      return Fail(line, LeafName(parsed.leaf, subleaf) + " given twice with different values");
    return std::nullopt;
  }

  void Skip(int line, std::string_view text) {
    auto& skipped = dump_.skipped;
    if (skipped.count++ == 0) {
      skipped.firstLine = line;
      skipped.firstText = PrintableExcerpt(text);
    }
  }

  Parsed<RawDump> Finish(int lastLine) {
    const auto& skipped = dump_.skipped;
    if (dump_.processors.empty()) {
      if (skipped.count > 0)
        return Fail(skipped.firstLine,
                    "not a CPUID dump: no line holds a CPUID leaf, and this "
                    "one reads " +
                        skipped.firstText);
      return Fail(std::max(lastLine, 1), "no CPUID leaves found");
    }
    for (const auto& processor : dump_.processors) {
      const std::string cpu = "CPU #" + std::to_string(processor.number);
      if (processor.leaves.count({0, 0}) == 0)
        return Fail(processor.line, cpu + " has no leaf 0 (highest leaf and vendor)");
      if (skipped.count > 0 && MaxStandardLeaf(processor.leaves) >= 1 &&
          !HasLeaf(processor.leaves, 1)) {
        return Fail(skipped.firstLine,
                    cpu + " has no leaf 1 (family, model and features); this line, the first of " +
                        std::to_string(skipped.count) +
                        " not understood, may hold its leaves: " + skipped.firstText);
      }
    }
    return std::move(dump_);
  }

  MachineFileError Fail(int line, std::string message) const {
    return {fileName_, line, std::move(message)};
  }

 private:
  std::optional<MachineFileError> AddSection(uint32_t number, int line) {
    // Leaves without a header so far were the first block of a dump without headers.
    if (!dump_.sectioned && !dump_.processors.empty()) numbers_.insert(0);
    if (!numbers_.insert(number).second)
      return Fail(line, "CPU #" + std::to_string(number) + " appears twice");
    dump_.sectioned = true;
    dump_.processors.push_back({number, line, {}});
    linesPerLeaf_.clear();
    return std::nullopt;
  }

  const std::string& fileName_;
  RawDump dump_;
  std::set<uint32_t> numbers_;
  std::map<uint32_t, uint32_t> linesPerLeaf_;
  bool headers_ = false;  // the dump names its sections
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
      case RawDumpLine::Kind::kUnknown:
        builder.Skip(line.number, line.text);
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
