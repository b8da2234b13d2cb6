#include "platform/sim/machine/sidecar.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/sim/machine/json_lines.h"
#include "platform/sim/machine/line_scanner.h"
#include "platform/sim/machine/pci_config.h"

namespace pacetta::sim {
namespace {

using Json = nlohmann::json;

constexpr size_t kBiosAreaSize = 0x10000;  // physical 0xF0000..0xFFFFF
constexpr double kMaxTscDriftPpm = 100000;

// Thrown inside this file only, to leave the nested readers at the first refused value.
struct Refusal {
  MachineFileError error;
};

class SidecarReader {
 public:
  SidecarReader(const LinedJson& json, const std::string& path, MachineSpec& machine)
      : json_(json), path_(path), machine_(machine) {}

  void Apply() {
    const auto& root = json_.document;
    if (!root.is_object()) Refuse("", "the sidecar must be a JSON object");
    for (const auto& [key, value] : root.items()) {
      const auto pointer = ChildPointer("", key);
      if (key == "name") {
        machine_.name = Text(pointer, value);
        if (machine_.name.empty()) Refuse(pointer, "'name' must not be empty");
      } else if (key == "description") {
        machine_.description = Text(pointer, value);
      } else if (key == "os") {
        ReadOs(pointer, value);
      } else if (key == "system64") {
        if (!value.is_boolean()) Refuse(pointer, "'system64' must be true or false");
        machine_.system64 = value.get<bool>();
      } else if (key == "processAffinityMask") {
        ReadAffinityMask(pointer, value);
      } else if (key == "msrStart") {
        ReadMsrStart(pointer, value);
      } else if (key == "tscDriftPpm") {
        ReadTscDrift(pointer, value);
      } else if (key == "pciDevices") {
        ReadPciDevices(pointer, value);
      } else if (key == "biosArea") {
        ReadBiosArea(pointer, value);
      } else {
        Refuse(pointer, "unknown key '" + key + "'");
      }
    }
  }

 private:
  [[noreturn]] void Refuse(const std::string& pointer, std::string message) const {
    throw Refusal{{path_, json_.LineOf(pointer), std::move(message)}};
  }

  std::string Text(const std::string& pointer, const Json& value) const {
    if (!value.is_string()) Refuse(pointer, "'" + Name(pointer) + "' must be a string");
    return value.get<std::string>();
  }

  static std::string Name(const std::string& pointer) {
    return pointer.substr(pointer.rfind('/') + 1);
  }

  // A JSON number, or a string holding a decimal or 0x-prefixed hexadecimal number (JSON has
  // no hexadecimal literals, and register values read best in hexadecimal).
  uint64_t Number(const std::string& pointer, const Json& value, uint64_t max) const {
    std::optional<uint64_t> number;
    if (value.is_number_unsigned()) {
      number = value.get<uint64_t>();
    } else if (value.is_string()) {
      number = NumberFromText(value.get<std::string>());
    }
    if (!number && value.is_number_integer())
      Refuse(pointer, "'" + Name(pointer) + "' must not be negative");
    if (!number)
      Refuse(pointer, "'" + Name(pointer) + "' must be a number or a number in a string");
    if (*number > max) Refuse(pointer, "'" + Name(pointer) + "' is out of range");
    return *number;
  }

  static std::optional<uint64_t> NumberFromText(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) text.remove_prefix(2);
    if (text.empty() || text.size() > (hex ? 16u : 19u)) return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
      const int digit = hex ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
      if (digit < 0) return std::nullopt;
      value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    }
    return value;
  }

  void RequireObject(const std::string& pointer, const Json& value) const {
    if (!value.is_object()) Refuse(pointer, "'" + Name(pointer) + "' must be an object");
  }

  void ReadOs(const std::string& pointer, const Json& value) {
    RequireObject(pointer, value);
    auto os = machine_.os;
    for (const auto& [key, field] : value.items()) {
      const auto fieldPointer = ChildPointer(pointer, key);
      if (key == "major") {
        os.major = static_cast<uint32_t>(Number(fieldPointer, field, UINT32_MAX));
      } else if (key == "minor") {
        os.minor = static_cast<uint32_t>(Number(fieldPointer, field, UINT32_MAX));
      } else if (key == "build") {
        os.build = static_cast<uint32_t>(Number(fieldPointer, field, UINT32_MAX));
      } else if (key == "platform") {
        const auto name = Text(fieldPointer, field);
        if (name != "nt" && name != "9x")
          Refuse(fieldPointer, "'platform' must be \"nt\" or \"9x\"");
        os.platformId = name == "nt" ? platform::kPlatformNt : platform::kPlatformWin9x;
      } else {
        Refuse(fieldPointer, "unknown key '" + key + "'");
      }
    }
    machine_.os = os;
  }

  void ReadAffinityMask(const std::string& pointer, const Json& value) {
    const auto mask = Number(pointer, value, UINT64_MAX);
    const auto count = machine_.processors.size();
    const uint64_t all = count >= 64 ? UINT64_MAX : (uint64_t{1} << count) - 1;
    if (mask == 0 || (mask & ~all) != 0)
      Refuse(pointer, "'processAffinityMask' must name some of the machine's " +
                          std::to_string(count) + " processors and no others");
    machine_.processAffinityMask = mask;
  }

  // {"all": {register: value}, "<processor>": {register: value}}; a per-processor value
  // wins over "all", and null removes a register the dump gave.
  void ReadMsrStart(const std::string& pointer, const Json& value) {
    RequireObject(pointer, value);
    if (value.contains("all")) {
      for (size_t k = 0; k < machine_.processors.size(); ++k)
        ReadRegisters(ChildPointer(pointer, "all"), value["all"], machine_.processors[k]);
    }
    for (const auto& [key, registers] : value.items()) {
      if (key == "all") continue;
      const auto processorPointer = ChildPointer(pointer, key);
      const auto index = NumberFromText(key);
      if (!index || key.find_first_not_of("0123456789") != std::string::npos)
        Refuse(processorPointer, "'msrStart' keys are \"all\" or a processor number");
      if (*index >= machine_.processors.size())
        Refuse(processorPointer, "the machine has no processor " + key);
      ReadRegisters(processorPointer, registers, machine_.processors[*index]);
    }
  }

  void ReadRegisters(const std::string& pointer, const Json& value, ProcessorSpec& processor) {
    RequireObject(pointer, value);
    for (const auto& [key, registerValue] : value.items()) {
      const auto registerPointer = ChildPointer(pointer, key);
      const auto index = NumberFromText(key);
      if (!index || *index > UINT32_MAX)
        Refuse(registerPointer, "'" + key + "' is not a register index");
      const auto msr = static_cast<uint32_t>(*index);
      if (registerValue.is_null()) {
        processor.msrStart.erase(msr);
      } else {
        processor.msrStart[msr] = Number(registerPointer, registerValue, UINT64_MAX);
      }
    }
  }

  // {"all": ppm, "<processor>": ppm}: a processor's own rate wins over "all".
  void ReadTscDrift(const std::string& pointer, const Json& value) {
    RequireObject(pointer, value);
    if (value.contains("all")) {
      const double ppm = DriftPpm(ChildPointer(pointer, "all"), value["all"]);
      for (ProcessorSpec& processor : machine_.processors) processor.tscDriftPpm = ppm;
    }
    for (const auto& [key, ppm] : value.items()) {
      if (key == "all") continue;
      const auto processorPointer = ChildPointer(pointer, key);
      const auto index = NumberFromText(key);
      if (!index || key.find_first_not_of("0123456789") != std::string::npos)
        Refuse(processorPointer, "'tscDriftPpm' keys are \"all\" or a processor number");
      if (*index >= machine_.processors.size())
        Refuse(processorPointer, "the machine has no processor " + key);
      machine_.processors[*index].tscDriftPpm = DriftPpm(processorPointer, ppm);
    }
  }

  // Parts per million off the nominal rate: a counter at a tenth more or less than its
  // clock is a broken part, not a drifting one.
  double DriftPpm(const std::string& pointer, const Json& value) const {
    if (!value.is_number()) Refuse(pointer, "a time-stamp counter drift must be a number");
    const double ppm = value.get<double>();
    if (!(std::fabs(ppm) <= kMaxTscDriftPpm))
      Refuse(pointer, "a time-stamp counter drift must lie within -100000..100000 ppm");
    return ppm;
  }

  void ReadPciDevices(const std::string& pointer, const Json& value) {
    if (!value.is_array()) Refuse(pointer, "'pciDevices' must be an array");
    for (size_t i = 0; i < value.size(); ++i)
      ReadPciDevice(ChildPointer(pointer, std::to_string(i)), value[i]);
  }

  // {"bus": 0, "device": 24, "function": 3, "config": "22 10 03 11 ...", "dwords": {"0xE8": ...}}:
  // "config" gives the function's bytes from offset 0 (the rest are 0); without it the
  // function the machine already has (or an empty one) is the base that "dwords" changes.
  void ReadPciDevice(const std::string& pointer, const Json& value) {
    RequireObject(pointer, value);
    for (const auto& [key, field] : value.items()) {
      if (key != "bus" && key != "device" && key != "function" && key != "config" &&
          key != "dwords")
        Refuse(ChildPointer(pointer, key), "unknown key '" + key + "'");
    }
    for (const auto* required : {"bus", "device", "function"}) {
      if (!value.contains(required))
        Refuse(pointer, std::string("the device needs '") + required + "'");
    }
    const auto bus =
        static_cast<uint32_t>(Number(ChildPointer(pointer, "bus"), value["bus"], 0xFF));
    const auto device =
        static_cast<uint32_t>(Number(ChildPointer(pointer, "device"), value["device"], 0x1F));
    const auto function =
        static_cast<uint32_t>(Number(ChildPointer(pointer, "function"), value["function"], 7));
    PciDeviceSpec pci{bus, device * 8 + function, std::vector<uint8_t>(kPciConfigSize)};
    if (value.contains("config")) {
      pci.config = ConfigBytes(ChildPointer(pointer, "config"), value["config"]);
    } else if (const auto* existing = FindPciDevice(machine_, bus, pci.devfn)) {
      pci.config = existing->config;
      pci.config.resize(kPciConfigSize);
    }
    if (value.contains("dwords")) {
      const auto dwordsPointer = ChildPointer(pointer, "dwords");
      RequireObject(dwordsPointer, value["dwords"]);
      for (const auto& [key, dword] : value["dwords"].items()) {
        const auto offset = NumberFromText(key);
        if (!offset || *offset >= kPciConfigSize || *offset % 4 != 0)
          Refuse(ChildPointer(dwordsPointer, key),
                 "'" + key + "' is not a double-word offset below 0x100");
        WriteConfig32(
            pci, static_cast<uint32_t>(*offset),
            static_cast<uint32_t>(Number(ChildPointer(dwordsPointer, key), dword, UINT32_MAX)));
      }
    }
    PutPciDevice(machine_, std::move(pci));
  }

  std::vector<uint8_t> ConfigBytes(const std::string& pointer, const Json& value) const {
    const auto text = Text(pointer, value);
    std::vector<uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
      if (c == ' ' || c == '\t' || c == '\n') continue;
      const int digit = HexDigitValue(c);
      if (digit < 0) Refuse(pointer, "'config' holds something other than hexadecimal bytes");
      if (high < 0) {
        high = digit;
      } else {
        bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
        high = -1;
      }
    }
    if (high >= 0) Refuse(pointer, "'config' ends in the middle of a byte");
    if (bytes.size() > kPciConfigSize) Refuse(pointer, "'config' holds more than 256 bytes");
    bytes.resize(kPciConfigSize);
    return bytes;
  }

  // A file name, relative to the sidecar's folder, of exactly 64 KiB.
  void ReadBiosArea(const std::string& pointer, const Json& value) {
    const std::filesystem::path name = Text(pointer, value);
    const auto file = name.is_absolute() ? name : std::filesystem::path(path_).parent_path() / name;
    std::ifstream in(file, std::ios::binary);
    if (!in) Refuse(pointer, "the BIOS area file '" + file.string() + "' cannot be read");
    std::vector<uint8_t> bytes;
    bytes.reserve(kBiosAreaSize);
    char c;
    while (bytes.size() <= kBiosAreaSize && in.get(c)) bytes.push_back(static_cast<uint8_t>(c));
    if (bytes.size() != kBiosAreaSize)
      Refuse(pointer, "the BIOS area file must hold exactly 65536 bytes (0xF0000..0xFFFFF)");
    machine_.biosArea = std::move(bytes);
  }

  const LinedJson& json_;
  const std::string& path_;
  MachineSpec& machine_;
};

}  // namespace

std::optional<MachineFileError> ApplySidecar(std::string_view json, const std::string& sidecarPath,
                                             MachineSpec& machine) {
  auto parsed = ParseJsonWithLines(json, sidecarPath);
  if (!parsed.ok()) return parsed.error();
  MachineSpec changed = machine;
  try {
    SidecarReader(parsed.value(), sidecarPath, changed).Apply();
  } catch (const Refusal& refusal) {
    return refusal.error;
  }
  machine = std::move(changed);
  return std::nullopt;
}

}  // namespace pacetta::sim
