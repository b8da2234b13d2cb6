#include "platform/sim/machine/raw_dump_line.h"

#include <array>

#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/machine/line_scanner.h"
#include "platform/sim/machine/section_header.h"
#include "platform/sim/machine/text_lines.h"

namespace pacetta::sim {
namespace {

using Kind = RawDumpLine::Kind;

RawDumpLine Error(std::string message) {
  RawDumpLine line;
  line.kind = Kind::kError;
  line.error = std::move(message);
  return line;
}

bool IsDashLine(std::string_view text) {
  return text.size() >= 10 && text.find_first_not_of('-') == std::string_view::npos;
}

std::optional<std::array<uint32_t, 4>> ReadFourWords(LineScanner& scan, char separator) {
  std::array<uint32_t, 4> words{};
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      const bool separated = separator == ' ' ? scan.SkipBlanks() : scan.Consume({&separator, 1});
      if (!separated) return std::nullopt;
    }
    const auto word = scan.Hex(8, 8);
    if (!word) return std::nullopt;
    words[static_cast<size_t>(i)] = *word;
  }
  return words;
}

RawDumpLine LeafLine(uint32_t leaf, std::optional<uint32_t> subleaf,
                     const std::array<uint32_t, 4>& words) {
  RawDumpLine line;
  line.kind = Kind::kLeaf;
  line.leaf = leaf;
  line.subleaf = subleaf;
  line.value = {words[0], words[1], words[2], words[3]};
  return line;
}

// The remarks after the four words are the dumping tool's free comments in brackets
// ("[AuthenticAMD]", "[L2: 512 KB] / L3: 16384 KB]"); among them, "[SL 01]" gives the
// sub-leaf.
bool ReadRemarks(LineScanner& scan, std::optional<uint32_t>& subleaf) {
  const bool blank = scan.SkipBlanks();
  if (scan.AtEnd()) return true;
  if (!blank || scan.Rest().front() != '[') return false;
  const auto rest = scan.Rest();
  const auto at = rest.find("[SL");
  if (at == std::string_view::npos) return true;
  LineScanner remark(rest.substr(at + 3));
  remark.SkipBlanks();
  const auto number = remark.Hex(1, 8);
  if (!number || !remark.Consume("]")) return false;
  subleaf = *number;
  return true;
}

// Tools separate the leaf number with ':', blanks or both ("CPUID 00000000 :0000..."), and
// the four words with '-' or blanks.
RawDumpLine ReadCpuidLine(std::string_view text) {
  LineScanner scan(text);
  scan.Consume("CPUID");
  if (!scan.SkipBlanks()) return Error("expected a blank after CPUID");
  const auto leaf = scan.Hex(8, 8);
  if (!leaf) return Error("the leaf number must have 8 hexadecimal digits");
  const bool blankBefore = scan.SkipBlanks();
  const bool colon = scan.Consume(":");
  if (!scan.SkipBlanks() && !colon && !blankBefore)
    return Error("expected ':' or a blank after the leaf number");
  const bool dashes = scan.Rest().size() > 8 && scan.Rest()[8] == '-';
  const auto words = ReadFourWords(scan, dashes ? '-' : ' ');
  if (!words) return Error("expected four 8-digit hexadecimal words EAX-EBX-ECX-EDX");
  std::optional<uint32_t> subleaf;
  if (!ReadRemarks(scan, subleaf)) return Error("unexpected text after the register values");
  return LeafLine(*leaf, subleaf, *words);
}

// "basic_cpuid[n]" = leaf n, "ext_cpuid[n]" = leaf 0x80000000 + n, "<vendor>_fn<leaf>[sub]"
// = that leaf's sub-leaf (the leaf in decimal, or in hexadecimal with a trailing 'h').
RawDumpLine ReadIndexedLine(std::string_view text) {
  const auto bracket = text.find('[');
  const auto name = text.substr(0, bracket);
  LineScanner scan(text.substr(bracket + 1));
  const auto index = scan.Decimal(5);
  if (!index || !scan.Consume("]") || !scan.Consume("="))
    return Error("expected '[index]=' after '" + std::string(name) + "'");
  const auto words = ReadFourWords(scan, ' ');
  if (!words) return Error("expected four 8-digit hexadecimal words");
  scan.SkipBlanks();
  if (!scan.AtEnd()) return Error("unexpected text after the register values");

  if (name == "basic_cpuid") return LeafLine(*index, 0, *words);
  if (name == "ext_cpuid") return LeafLine(kExtendedLeafBase + *index, 0, *words);
  const auto fn = name.find("_fn");
  if (fn != std::string_view::npos && fn > 0) {
    auto number = name.substr(fn + 3);
    const bool hex = !number.empty() && number.back() == 'h';
    if (hex) number.remove_suffix(1);
    LineScanner leafScan(number);
    const auto leaf = hex ? leafScan.Hex(1, 8) : leafScan.Decimal(9);
    if (leaf && leafScan.AtEnd()) return LeafLine(*leaf, *index, *words);
  }
  return Error("unknown leaf name '" + std::string(name) + "'");
}

bool IsAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// "CPUID" and a word of eight letters and digits, some digits, as a leaf number is: a leaf
// line, even when damaged. A tool's summary ("CPUID Revision : 00000F51h") is not.
bool LooksLikeCpuidLeaf(std::string_view text) {
  LineScanner scan(text);
  if (!scan.Consume("CPUID") || !scan.SkipBlanks()) return false;
  const auto rest = scan.Rest();
  size_t length = 0;
  bool digit = false;
  for (; length < rest.size() && IsAlphanumeric(rest[length]); ++length)
    digit = digit || (rest[length] >= '0' && rest[length] <= '9');
  if (length != 8 || !digit) return false;
  return length == rest.size() || rest[length] == ':' || rest[length] == ' ' ||
         rest[length] == '\t';
}

// "name[digits]=": a leaf in the indexed form, even when its name or values are wrong.
bool LooksLikeIndexedLeaf(std::string_view text) {
  const auto bracket = text.find('[');
  if (bracket == 0 || bracket == std::string_view::npos) return false;
  for (const char c : text.substr(0, bracket)) {
    if (!IsAlphanumeric(c) && c != '_') return false;
  }
  LineScanner scan(text.substr(bracket + 1));
  return scan.Decimal(9) && scan.Consume("]") && scan.Consume("=");
}

}  // namespace

RawDumpLine ReadRawDumpLine(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return {};
  RawDumpLine line;
  if (IsDashLine(text)) {
    line.kind = Kind::kEndOfLeaves;
    return line;
  }
  if (auto header = ReadSectionHeader(text)) return *header;
  if (LooksLikeCpuidLeaf(text)) return ReadCpuidLine(text);
  if (LooksLikeIndexedLeaf(text)) return ReadIndexedLine(text);
  line.kind = Kind::kUnknown;
  return line;
}

}  // namespace pacetta::sim
