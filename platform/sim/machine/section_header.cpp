#include "platform/sim/machine/section_header.h"

#include <bit>

#include "platform/sim/machine/line_scanner.h"
#include "platform/sim/machine/text_lines.h"

namespace pacetta::sim {
namespace {

// Bit k of a processor group's affinity mask is processor 64 * group + k.
constexpr uint32_t kProcessorsPerGroup = 64;

RawDumpLine Section(uint32_t number) {
  RawDumpLine line;
  line.kind = RawDumpLine::Kind::kSection;
  line.sectionNumber = number;
  return line;
}

RawDumpLine Damaged(std::string message) {
  RawDumpLine line;
  line.kind = RawDumpLine::Kind::kError;
  line.error = std::move(message);
  return line;
}

// At least three of `c`; true when there were.
bool ConsumeRule(LineScanner& scan, char c) {
  const std::string_view three(c == '-' ? "---" : "___");
  if (!scan.Consume(three)) return false;
  while (scan.Consume(three.substr(0, 1))) {
  }
  return true;
}

// "------[ Logical CPU #3 ]------", "------[ CPUID Registers / Logical CPU #3 ]------",
// "_________________ Logical CPU #3 _________________". A rule around another title
// ("------[ Versions ]------") starts no processor.
std::optional<RawDumpLine> ReadRuledHeader(std::string_view text) {
  const char rule = text.front();
  if (rule != '-' && rule != '_') return std::nullopt;
  LineScanner scan(text);
  if (!ConsumeRule(scan, rule)) return std::nullopt;
  const bool bracket = scan.Consume("[");
  scan.SkipBlanks();
  if (scan.Consume("CPUID Registers")) {
    scan.SkipBlanks();
    if (!scan.Consume("/")) return Damaged("malformed logical CPU header");
    scan.SkipBlanks();
  }
  if (!scan.Consume("Logical CPU")) return std::nullopt;
  scan.SkipBlanks();
  const bool hash = scan.Consume("#");
  const auto number = scan.Decimal(4);
  scan.SkipBlanks();
  if (scan.Consume("Virtual")) scan.SkipBlanks();  // a Hyper-Threading sibling
  if (!hash || !number || (bracket && !scan.Consume("]"))) {
    return Damaged("malformed logical CPU header");
  }
  scan.SkipBlanks();
  if (!ConsumeRule(scan, rule) || !scan.AtEnd()) return Damaged("malformed logical CPU header");
  return Section(*number);
}

// "CPUID Registers (CPU #2):", "CPUID Registers (CPU #2 Virtual):"
std::optional<RawDumpLine> ReadRegistersHeader(std::string_view text) {
  LineScanner scan(text);
  if (!scan.Consume("CPUID Registers")) return std::nullopt;
  scan.SkipBlanks();
  if (!scan.Consume("(CPU #")) return Damaged("malformed CPU header");
  const auto number = scan.Decimal(4);
  const auto closing = scan.Rest().find(')');
  if (!number || closing == std::string_view::npos ||
      TrimBlanks(scan.Rest().substr(closing)) != "):") {
    return Damaged("malformed CPU header");
  }
  return Section(*number);
}

// "CPU#000 AffMask: 0x0000000000000001". What follows the colon is the affinity mask the
// dumping tool ran the processor's leaves under, in whichever form it writes processor
// groups; the number before it already names the processor.
std::optional<RawDumpLine> ReadAffinityMaskHeader(std::string_view text) {
  LineScanner scan(text);
  if (!scan.Consume("CPU#")) return std::nullopt;
  const auto number = scan.Decimal(4);
  const bool blank = scan.SkipBlanks();
  if (!scan.Consume("AffMask:")) return std::nullopt;
  if (!number || !blank) return Damaged("malformed CPU header");
  return Section(*number);
}

// "Group: 0x00 Affinity mask: 0x0000000000000004": the section of the one processor the
// mask selects within its processor group.
std::optional<RawDumpLine> ReadGroupHeader(std::string_view text) {
  LineScanner scan(text);
  if (!scan.Consume("Group:")) return std::nullopt;
  scan.SkipBlanks();
  const bool groupPrefix = scan.ConsumeIgnoringCase("0x");
  const auto group = scan.Hex(1, 4);
  scan.SkipBlanks();
  if (!scan.Consume("Affinity mask:")) return std::nullopt;
  scan.SkipBlanks();
  const bool maskPrefix = scan.ConsumeIgnoringCase("0x");
  const auto mask = scan.WideHex(1, 16);
  scan.SkipBlanks();
  if (!groupPrefix || !group || !maskPrefix || !mask || !scan.AtEnd() || *group > 0xFF)
    return Damaged("malformed processor group header");
  if (!std::has_single_bit(*mask))
    return Damaged("the affinity mask of a processor's section must select one processor");
  return Section(*group * kProcessorsPerGroup + static_cast<uint32_t>(std::countr_zero(*mask)));
}

// "CPU 3:" alone on its line.
std::optional<RawDumpLine> ReadShortHeader(std::string_view text) {
  LineScanner scan(text);
  if (!scan.Consume("CPU") || !scan.SkipBlanks()) return std::nullopt;
  const auto number = scan.Decimal(4);
  if (!number || !scan.Consume(":")) return std::nullopt;
  scan.SkipBlanks();
  if (!scan.AtEnd()) return std::nullopt;
  return Section(*number);
}

}  // namespace

std::optional<RawDumpLine> ReadSectionHeader(std::string_view text) {
  if (text.empty()) return std::nullopt;
  for (const auto reader : {ReadRuledHeader, ReadRegistersHeader, ReadAffinityMaskHeader,
                            ReadGroupHeader, ReadShortHeader}) {
    if (auto header = reader(text)) return header;
  }
  return std::nullopt;
}

}  // namespace pacetta::sim
