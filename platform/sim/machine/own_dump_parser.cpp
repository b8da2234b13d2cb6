#include "platform/sim/machine/own_dump_parser.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <set>
#include <vector>

#include "platform/sim/machine/line_scanner.h"
#include "platform/sim/machine/logical_processors.h"
#include "platform/sim/machine/pci_config.h"
#include "platform/sim/machine/text_lines.h"

namespace pacetta::sim {
namespace {

constexpr std::string_view kTitle = "Tarvello CPU info dump";
constexpr std::string_view kSectionStart = "System CPU #";
constexpr uint32_t kMaxProcessors = 64;
constexpr uint32_t kAbsentHalf = 0xFFFFFFFF;
constexpr int kPciRows = 16;

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  size_t at = 0;
  while (at < text.size()) {
    const auto start = text.find_first_not_of(" \t", at);
    if (start == std::string_view::npos) break;
    const auto end = text.find_first_of(" \t", start);
    tokens.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    at = end == std::string_view::npos ? text.size() : end;
  }
  return tokens;
}

std::optional<uint32_t> HexToken(std::string_view token, int digits) {
  LineScanner scan(token);
  const auto value = scan.Hex(digits, digits);
  if (!value || !scan.AtEnd()) return std::nullopt;
  return value;
}

// Every token a hexadecimal number of `digits` digits; empty when any is not.
std::vector<uint32_t> HexTokens(const std::vector<std::string_view>& tokens, int digits) {
  std::vector<uint32_t> values;
  for (const auto token : tokens) {
    const auto value = HexToken(token, digits);
    if (!value) return {};
    values.push_back(*value);
  }
  return values;
}

bool IsHeading(const std::vector<std::string_view>& tokens,
               std::initializer_list<std::string_view> words) {
  return std::equal(tokens.begin(), tokens.end(), words.begin(), words.end());
}

bool IsPciColumnHeading(const std::vector<std::string_view>& tokens) {
  static constexpr std::string_view kDigits = "0123456789ABCDEF";
  if (tokens.size() != kDigits.size()) return false;
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i] != kDigits.substr(i, 1)) return false;
  }
  return true;
}

std::string Hex8(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

class OwnDumpReader {
 public:
  explicit OwnDumpReader(const std::string& fileName) : fileName_(fileName) {}

  std::optional<MachineFileError> Read(const TextLine& line) {
    const auto text = TrimBlanks(line.text);
    const auto tokens = Tokens(line.text);
    if (mode_ == Mode::kPciColumns) {
      if (text.empty()) return std::nullopt;
      if (!IsPciColumnHeading(tokens)) return Fail(line.number, "expected the PCI column heading");
      mode_ = Mode::kPciRows;
      return std::nullopt;
    }
    if (mode_ == Mode::kPciRows) return ReadPciRow(line.number, tokens);
    if (text.empty()) return std::nullopt;
    if (text.substr(0, kSectionStart.size()) == kSectionStart)
      return StartSection(line.number, text);
    if (current_ == nullptr) return ReadPreamble(line.number, text);
    if (IsHeading(tokens, {"CPUID", "EAX", "EBX", "ECX", "EDX"})) {
      mode_ = Mode::kCpuid;
      return std::nullopt;
    }
    if (IsHeading(tokens, {"MSR", "EDX", "EAX"})) {
      mode_ = Mode::kMsr;
      return std::nullopt;
    }
    if (text.substr(0, 4) == "PCI ") return StartPciBlock(line.number, text);
    if (mode_ == Mode::kCpuid) return ReadLeaf(line.number, tokens);
    if (mode_ == Mode::kMsr) return ReadMsr(line.number, tokens);
    return Fail(line.number, "not a line of a diagnostic dump");
  }

  Parsed<MachineSpec> Finish(int lastLine) {
    if (mode_ == Mode::kPciColumns || mode_ == Mode::kPciRows)
      return Fail(pciLine_, "the PCI block ends after " + std::to_string(pciRow_) + " of 16 rows");
    if (processors_.empty()) return Fail(std::max(lastLine, 1), "no 'System CPU #n' section found");
    MachineSpec machine;
    for (auto& [number, processor] : processors_) {
      if (processor.leaves.count({0, 0}) == 0)
        return Fail(sectionLines_[number], "CPU #" + std::to_string(number) + " has no leaf 0");
      processor.apicId = ApicIdOf(processor.leaves);
      machine.processors.push_back(std::move(processor));
    }
    if (auto clash = RepeatedApicId(machine.processors)) {
      auto section = sectionLines_.begin();
      std::advance(section, static_cast<std::ptrdiff_t>(clash->processor));
      return Fail(section->second, clash->message);
    }
    for (auto& device : devices_) PutPciDevice(machine, std::move(device));
    return machine;
  }

 private:
  enum class Mode { kNone, kCpuid, kMsr, kPciColumns, kPciRows };

  MachineFileError Fail(int line, std::string message) const {
    return {fileName_, line, std::move(message)};
  }

  std::optional<MachineFileError> ReadPreamble(int line, std::string_view text) {
    if (!sawTitle_ && text == kTitle) {
      sawTitle_ = true;
      return std::nullopt;
    }
    if (sawTitle_ && text.find_first_not_of('-') == std::string_view::npos) return std::nullopt;
    return Fail(line, "expected a 'System CPU #n' section");
  }

  std::optional<MachineFileError> StartSection(int line, std::string_view text) {
    LineScanner scan(text.substr(kSectionStart.size()));
    const auto number = scan.Decimal(9);
    if (!number) return Fail(line, "expected the processor number after 'System CPU #'");
    // The remark in parentheses ("physical/1st core") repeats what the topology implies.
    const bool blank = scan.SkipBlanks();
    if (!scan.AtEnd() && !(blank && scan.Consume("(") && scan.Rest().ends_with(")")))
      return Fail(line, "unexpected text after the processor number");
    if (*number >= kMaxProcessors)
      return Fail(line, "processor numbers must be below " + std::to_string(kMaxProcessors));
    if (processors_.count(*number) != 0)
      return Fail(line, "CPU #" + std::to_string(*number) + " appears twice");
    current_ = &processors_[*number];
    sectionLines_[*number] = line;
    mode_ = Mode::kNone;
    return std::nullopt;
  }

  std::optional<MachineFileError> ReadLeaf(int line, std::vector<std::string_view> tokens) {
    // "LLLLLLLL.S": a further sub-leaf of today's processors, listed after the table.
    uint32_t subLeaf = 0;
    if (!tokens.empty() && tokens[0].size() > 9 && tokens[0][8] == '.') {
      LineScanner scan(tokens[0].substr(9));
      const auto number = scan.Hex(1, 2);
      if (!number || !scan.AtEnd()) return Fail(line, "expected a sub-leaf after the leaf's '.'");
      subLeaf = *number;
      tokens[0] = tokens[0].substr(0, 8);
    }
    const auto values = HexTokens(tokens, 8);
    if (values.size() != 5 || tokens.size() != 5)
      return Fail(line, "expected a leaf and EAX, EBX, ECX, EDX as 8-digit hexadecimal numbers");
    const auto [it, inserted] =
        current_->leaves.emplace(std::make_pair(values[0], subLeaf),
                                 platform::CpuidResult{values[1], values[2], values[3], values[4]});
    if (!inserted) return Fail(line, "leaf " + Hex8(values[0]) + " appears twice");
    return std::nullopt;
  }

  std::optional<MachineFileError> ReadMsr(int line, const std::vector<std::string_view>& tokens) {
    const auto values = HexTokens(tokens, 8);
    if (values.size() != 3 || tokens.size() != 3)
      return Fail(line, "expected a register index, EDX and EAX as 8-digit hexadecimal numbers");
    if (!msrSeen_[current_].insert(values[0]).second)
      return Fail(line, "register " + Hex8(values[0]) + " appears twice");
    if (values[1] == kAbsentHalf && values[2] == kAbsentHalf) return std::nullopt;
    current_->msrStart[values[0]] = static_cast<uint64_t>(values[1]) << 32 | values[2];
    return std::nullopt;
  }

  std::optional<MachineFileError> StartPciBlock(int line, std::string_view text) {
    LineScanner scan(text);
    std::optional<uint32_t> bus, device, function;
    if (scan.Consume("PCI Bus ")) bus = scan.Hex(1, 2);
    if (bus && scan.Consume(", Device ")) device = scan.Hex(1, 2);
    if (device && scan.Consume(", Function ")) function = scan.Hex(1, 1);
    scan.SkipBlanks();
    if (!function || !scan.AtEnd())
      return Fail(line, "expected 'PCI Bus <hex>, Device <hex>, Function <hex>'");
    if (*function > 7) return Fail(line, "function out of range");
    // No PCI bus has a device above 0x1F, yet the program dumps one for a K8 node above
    // the eighth (device 0x18 + node), whose reads give zeros: its rows are read and
    // dropped.
    pciAddressable_ = *device <= 0x1F;
    pciDevice_ = PciDeviceSpec{*bus, *device * 8 + *function, std::vector<uint8_t>(kPciConfigSize)};
    pciLine_ = line;
    pciRow_ = 0;
    mode_ = Mode::kPciColumns;
    return std::nullopt;
  }

  std::optional<MachineFileError> ReadPciRow(int line,
                                             const std::vector<std::string_view>& tokens) {
    if (tokens.size() != 17)
      return Fail(line, "the PCI block ends after " + std::to_string(pciRow_) + " of 16 rows");
    const auto offset = HexToken(tokens[0], 2);
    if (!offset || *offset != static_cast<uint32_t>(pciRow_ * 16))
      return Fail(line, "expected the PCI row at offset " + std::to_string(pciRow_ * 16));
    const auto bytes = HexTokens({tokens.begin() + 1, tokens.end()}, 2);
    if (bytes.size() != 16) return Fail(line, "expected 16 two-digit hexadecimal bytes");
    for (size_t i = 0; i < bytes.size(); ++i)
      pciDevice_.config[*offset + i] = static_cast<uint8_t>(bytes[i]);
    if (++pciRow_ == kPciRows) {
      mode_ = Mode::kNone;
      const auto location = std::make_pair(pciDevice_.bus, pciDevice_.devfn);
      if (pciAddressable_ && pciSeen_.insert(location).second)
        devices_.push_back(std::move(pciDevice_));
    }
    return std::nullopt;
  }

  const std::string& fileName_;
  bool sawTitle_ = false;
  Mode mode_ = Mode::kNone;
  std::map<uint32_t, ProcessorSpec> processors_;
  std::map<uint32_t, int> sectionLines_;
  std::map<const ProcessorSpec*, std::set<uint32_t>> msrSeen_;
  ProcessorSpec* current_ = nullptr;
  PciDeviceSpec pciDevice_;
  bool pciAddressable_ = true;
  int pciLine_ = 0;
  int pciRow_ = 0;
  std::set<std::pair<uint32_t, uint32_t>> pciSeen_;
  std::vector<PciDeviceSpec> devices_;
};

}  // namespace

bool LooksLikeOwnDump(std::string_view text) {
  for (const auto& line : SplitLines(text)) {
    const auto trimmed = TrimBlanks(line.text);
    if (trimmed.empty()) continue;
    return trimmed == kTitle || trimmed.substr(0, kSectionStart.size()) == kSectionStart;
  }
  return false;
}

Parsed<MachineSpec> ParseOwnDump(std::string_view text, const std::string& fileName) {
  OwnDumpReader reader(fileName);
  int lastLine = 0;
  for (const auto& line : SplitLines(text)) {
    lastLine = line.number;
    if (auto error = reader.Read(line)) return *error;
  }
  return reader.Finish(lastLine);
}

}  // namespace pacetta::sim
