#include "platform/sim/driver/service_table.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

namespace pacetta::sim {
namespace {

using nlohmann::json;

constexpr int kFormatVersion = 1;

json CountsToJson(const std::map<int, uint32_t>& counts) {
  json object = json::object();
  for (const auto& [pid, count] : counts) object[std::to_string(pid)] = count;
  return object;
}

std::map<int, uint32_t> CountsFromJson(const json& object) {
  std::map<int, uint32_t> counts;
  for (const auto& [pid, count] : object.items()) {
    size_t used = 0;
    const int id = std::stoi(pid, &used);
    if (used != pid.size()) throw std::invalid_argument("process id");
    counts[id] = count.get<uint32_t>();
  }
  return counts;
}

platform::ServiceState StateFromJson(const json& value) {
  const auto number = value.get<uint32_t>();
  if (number < 1 || number > 4) throw std::invalid_argument("service state");
  return static_cast<platform::ServiceState>(number);
}

}  // namespace

uint32_t ServiceRecord::UseCount() const {
  uint32_t total = 0;
  for (const auto& [pid, count] : uses) total += count;
  return total;
}

std::string ServiceKey(const std::string& name) {
  std::string key = name;
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return key;
}

ServiceRecord* ServiceTable::Find(const std::string& name) {
  const auto found = services.find(ServiceKey(name));
  return found == services.end() ? nullptr : &found->second;
}

void ServiceTable::Tidy(const std::function<bool(int)>& processAlive) {
  for (auto it = services.begin(); it != services.end();) {
    ServiceRecord& record = it->second;
    std::erase_if(record.handles, [&](const auto& entry) { return !processAlive(entry.first); });
    std::erase_if(record.uses, [&](const auto& entry) { return !processAlive(entry.first); });
    const bool gone = record.deletePending && record.state == platform::ServiceState::kStopped &&
                      record.handles.empty();
    it = gone ? services.erase(it) : std::next(it);
  }
}

std::string SerializeServiceTable(const ServiceTable& table) {
  json services = json::object();
  for (const auto& [key, record] : table.services) {
    services[key] = {
        {"name", record.name},
        {"displayName", record.displayName},
        {"binaryPath", record.binaryPath},
        {"state", static_cast<uint32_t>(record.state)},
        {"deletePending", record.deletePending},
        {"pendingQueries", record.pendingQueries},
        {"checkPoint", record.checkPoint},
        {"waitHintMs", record.waitHintMs},
        {"checkPointGrows", record.checkPointGrows},
        {"handles", CountsToJson(record.handles)},
        {"uses", CountsToJson(record.uses)},
        {"version", {record.versionMajor, record.versionMinor}},
    };
  }
  return json{{"format", kFormatVersion}, {"services", services}}.dump(2) + "\n";
}

std::optional<ServiceTable> ParseServiceTable(const std::string& text) {
  const json document = json::parse(text, nullptr, false);
  if (document.is_discarded() || !document.is_object()) return std::nullopt;
  try {
    if (document.at("format").get<int>() != kFormatVersion) return std::nullopt;
    ServiceTable table;
    for (const auto& [key, entry] : document.at("services").items()) {
      ServiceRecord record;
      record.name = entry.at("name").get<std::string>();
      if (ServiceKey(record.name) != key) return std::nullopt;
      record.displayName = entry.at("displayName").get<std::string>();
      record.binaryPath = entry.at("binaryPath").get<std::string>();
      record.state = StateFromJson(entry.at("state"));
      record.deletePending = entry.at("deletePending").get<bool>();
      record.pendingQueries = entry.at("pendingQueries").get<uint32_t>();
      record.checkPoint = entry.at("checkPoint").get<uint32_t>();
      record.waitHintMs = entry.at("waitHintMs").get<uint32_t>();
      record.checkPointGrows = entry.at("checkPointGrows").get<bool>();
      record.handles = CountsFromJson(entry.at("handles"));
      record.uses = CountsFromJson(entry.at("uses"));
      const json& version = entry.at("version");
      if (!version.is_array() || version.size() != 2) return std::nullopt;
      record.versionMajor = version.at(0).get<uint32_t>();
      record.versionMinor = version.at(1).get<uint32_t>();
      table.services.emplace(key, std::move(record));
    }
    return table;
  } catch (const std::exception&) {
    // Wrong types, missing fields or out-of-range numbers: the file is not ours to trust.
    return std::nullopt;
  }
}

}  // namespace pacetta::sim
