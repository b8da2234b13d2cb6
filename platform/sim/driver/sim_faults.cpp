#include "platform/sim/driver/sim_faults.h"

#include <charconv>
#include <functional>
#include <map>

namespace pacetta::sim {
namespace {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Decimal, or hexadecimal with a 0x prefix; the whole text must be the number.
std::optional<uint32_t> ParseNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::pair<uint32_t, uint32_t>> ParseVersion(std::string_view text) {
  const auto dot = text.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const auto major = ParseNumber(text.substr(0, dot));
  const auto minor = ParseNumber(text.substr(dot + 1));
  if (!major || !minor) return std::nullopt;
  return std::pair{*major, *minor};
}

using FlagSetter = std::function<void(SimFaults&)>;
// Returns an error text, empty on success.
using ValueSetter = std::function<std::string(SimFaults&, std::string_view)>;

ValueSetter NumberInto(uint32_t SimFaults::*field) {
  return [field](SimFaults& faults, std::string_view value) -> std::string {
    const auto number = ParseNumber(value);
    if (!number) return "is not a number";
    faults.*field = *number;
    return {};
  };
}

ValueSetter NumberAddedTo(std::initializer_list<std::set<uint32_t> SimFaults::*> sets) {
  std::vector<std::set<uint32_t> SimFaults::*> targets(sets);
  return [targets](SimFaults& faults, std::string_view value) -> std::string {
    const auto number = ParseNumber(value);
    if (!number) return "is not a number";
    for (auto target : targets) (faults.*target).insert(*number);
    return {};
  };
}

const std::map<std::string_view, FlagSetter>& Flags() {
  static const std::map<std::string_view, FlagSetter> flags = {
      {"no-driver-file", [](SimFaults& f) { f.driverFileMissing = true; }},
      {"manager-refused", [](SimFaults& f) { f.managerRefused = true; }},
      {"create-fails", [](SimFaults& f) { f.createFails = true; }},
      {"open-fails", [](SimFaults& f) { f.openFails = true; }},
      {"start-fails", [](SimFaults& f) { f.startFails = true; }},
      {"status-fails", [](SimFaults& f) { f.statusFails = true; }},
      {"device-fails", [](SimFaults& f) { f.deviceOpenFails = true; }},
  };
  return flags;
}

const std::map<std::string_view, ValueSetter>& Values() {
  static const std::map<std::string_view, ValueSetter> values = {
      {"start-pending", NumberInto(&SimFaults::startPendingQueries)},
      {"start-wait-hint", NumberInto(&SimFaults::startWaitHintMs)},
      {"start-checkpoint",
       [](SimFaults& f, std::string_view value) -> std::string {
         if (value == "grow") {
           f.checkPointGrows = true;
         } else if (value == "stuck") {
           f.checkPointGrows = false;
         } else {
           return "must be 'grow' or 'stuck'";
         }
         return {};
       }},
      {"version",
       [](SimFaults& f, std::string_view value) -> std::string {
         const auto version = ParseVersion(value);
         if (!version) return "must be MAJOR.MINOR";
         f.version = version;
         return {};
       }},
      {"fail-request", NumberAddedTo({&SimFaults::failingRequests})},
      {"fail-msr-read", NumberAddedTo({&SimFaults::failingMsrReads})},
      {"fail-msr-write", NumberAddedTo({&SimFaults::failingMsrWrites})},
      {"fail-msr", NumberAddedTo({&SimFaults::failingMsrReads, &SimFaults::failingMsrWrites})},
      {"fail-power",
       [](SimFaults& f, std::string_view value) -> std::string {
         const auto colon = value.find(':');
         const std::string_view call = Trim(value.substr(0, colon));
         if (call.empty()) return "must be CALL or CALL:ERROR";
         uint32_t error = 5;  // access denied
         if (colon != std::string_view::npos) {
           const auto code = ParseNumber(Trim(value.substr(colon + 1)));
           if (!code) return "must be CALL or CALL:ERROR";
           error = *code;
         }
         f.failingPowerCalls[std::string(call)] = error;
         return {};
       }},
  };
  return values;
}

std::string KnownNames() {
  std::string names;
  for (const auto& entry : Flags()) {
    if (!names.empty()) names += ", ";
    names += entry.first;
  }
  for (const auto& entry : Values()) names += ", " + std::string(entry.first) + "=";
  return names;
}

}  // namespace

bool SimFaults::HidesFile(std::string_view path) const {
  if (!driverFileMissing) return false;
  const auto slash = path.find_last_of("/\\");
  std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (file.ends_with(".sys")) file.remove_suffix(4);
  return file == "Portex32" || file == "Portex64";
}

SimFaultsParse ParseSimFaults(std::string_view text) {
  SimFaults faults;
  while (!text.empty()) {
    const auto comma = text.find(',');
    const std::string_view item = Trim(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    if (item.empty()) continue;

    const auto equals = item.find('=');
    const std::string_view name = Trim(item.substr(0, equals));
    if (equals == std::string_view::npos) {
      if (const auto flag = Flags().find(name); flag != Flags().end()) {
        flag->second(faults);
        continue;
      }
      if (Values().contains(name)) {
        return {std::nullopt, "simulated fault '" + std::string(name) + "' needs a value"};
      }
    } else {
      const std::string_view value = Trim(item.substr(equals + 1));
      if (const auto setter = Values().find(name); setter != Values().end()) {
        const std::string problem = setter->second(faults, value);
        if (!problem.empty()) {
          return {std::nullopt, "simulated fault '" + std::string(name) + "': '" +
                                    std::string(value) + "' " + problem};
        }
        continue;
      }
      if (Flags().contains(name)) {
        return {std::nullopt, "simulated fault '" + std::string(name) + "' takes no value"};
      }
    }
    return {std::nullopt,
            "unknown simulated fault '" + std::string(name) + "' (known: " + KnownNames() + ")"};
  }
  return {faults, {}};
}

}  // namespace pacetta::sim
