#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/driver_service.h"

namespace pacetta::sim {

// One installed service as the simulated service control manager keeps it. Open
// handles and driver uses are counted per process, so that what a dead process held
// can be dropped.
struct ServiceRecord {
  std::string name;
  std::string displayName;
  std::string binaryPath;
  platform::ServiceState state = platform::ServiceState::kStopped;
  bool deletePending = false;
  // Start-pending progress: queries still answered "pending", and what they report.
  uint32_t pendingQueries = 0;
  uint32_t checkPoint = 0;
  uint32_t waitHintMs = 0;
  bool checkPointGrows = true;
  std::map<int, uint32_t> handles;  // process id -> open service handles
  std::map<int, uint32_t> uses;     // process id -> driver uses (the use-count request)
  // The version the installed driver binary reports; ours is 1.5.
  uint32_t versionMajor = 1;
  uint32_t versionMinor = 5;

  // The driver's use count: every use of every process still recorded.
  uint32_t UseCount() const;
};

// Every installed service, keyed by the lower-case name: service names are
// case-insensitive.
struct ServiceTable {
  std::map<std::string, ServiceRecord> services;

  ServiceRecord* Find(const std::string& name);
  // Forgets the handles and uses of processes that no longer exist, then removes every
  // service that is marked for deletion, stopped and no longer open.
  void Tidy(const std::function<bool(int)>& processAlive);
};

std::string ServiceKey(const std::string& name);

// The state file's text. Parsing gives nullopt for anything that is not a well-formed
// table, so a damaged file can be replaced with a fresh state.
std::string SerializeServiceTable(const ServiceTable& table);
std::optional<ServiceTable> ParseServiceTable(const std::string& text);

}  // namespace pacetta::sim
