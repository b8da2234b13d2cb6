#include "platform/sim/driver/service_database.h"

#include <algorithm>

namespace pacetta::sim {

using platform::ServiceState;

ServiceDatabase::ServiceDatabase(std::unique_ptr<ServiceStore> store, ServiceHost host,
                                 SimFaults faults)
    : store_(std::move(store)), host_(std::move(host)), faults_(std::move(faults)) {}

bool ServiceDatabase::ProcessAlive(int pid) const {
  return !host_.processAlive || host_.processAlive(pid);
}

bool ServiceDatabase::Change(const std::function<void(ServiceTable&)>& change) {
  return store_->Update([&](ServiceTable& table) {
    table.Tidy([this](int pid) { return ProcessAlive(pid); });
    change(table);
    // A change may have closed the last handle or stopped a service marked for deletion.
    table.Tidy([this](int pid) { return ProcessAlive(pid); });
  });
}

bool ServiceDatabase::Create(const std::string& name, const std::string& displayName,
                             const std::string& binaryPath) {
  bool created = false;
  const bool reached = Change([&](ServiceTable& table) {
    // A name marked for deletion is still taken until its record disappears.
    if (table.Find(name) != nullptr) return;
    ServiceRecord record;
    record.name = name;
    record.displayName = displayName;
    record.binaryPath = binaryPath;
    record.handles[host_.processId] = 1;
    table.services.emplace(ServiceKey(name), std::move(record));
    created = true;
  });
  return reached && created;
}

std::optional<std::pair<uint32_t, uint32_t>> ServiceDatabase::DriverVersion(
    const std::string& name) {
  std::optional<std::pair<uint32_t, uint32_t>> version;
  Change([&](ServiceTable& table) {
    const ServiceRecord* record = table.Find(name);
    if (record && record->state == platform::ServiceState::kRunning) {
      version = std::pair{record->versionMajor, record->versionMinor};
    }
  });
  return version;
}

void ServiceDatabase::InstallForeignDriver(const std::string& name) {
  if (!faults_.version) return;
  Change([&](ServiceTable& table) {
    if (table.Find(name) != nullptr) return;
    ServiceRecord record;
    record.name = name;
    record.displayName = name;
    record.binaryPath = "/opt/other-vendor/drivers/" + name + ".sys";
    record.state = platform::ServiceState::kRunning;
    record.versionMajor = faults_.version->first;
    record.versionMinor = faults_.version->second;
    table.services.emplace(ServiceKey(name), std::move(record));
  });
}

bool ServiceDatabase::OpenHandle(const std::string& name) {
  bool opened = false;
  const bool reached = Change([&](ServiceTable& table) {
    if (ServiceRecord* record = table.Find(name)) {
      ++record->handles[host_.processId];
      opened = true;
    }
  });
  return reached && opened;
}

void ServiceDatabase::CloseHandle(const std::string& name) {
  Change([&](ServiceTable& table) {
    ServiceRecord* record = table.Find(name);
    if (record == nullptr) return;
    const auto mine = record->handles.find(host_.processId);
    if (mine == record->handles.end()) return;
    if (--mine->second == 0) record->handles.erase(mine);
  });
}

bool ServiceDatabase::Start(const std::string& name) {
  bool started = false;
  const bool reached = Change([&](ServiceTable& table) {
    ServiceRecord* record = table.Find(name);
    // Starting a service that is already up (or coming up) fails harmlessly.
    if (record == nullptr || record->state != ServiceState::kStopped) return;
    if (record->deletePending || faults_.startFails) return;
    if (host_.fileExists && !host_.fileExists(record->binaryPath)) return;
    // A freshly loaded driver has no users yet.
    record->uses.clear();
    record->checkPoint = 0;
    record->waitHintMs = 0;
    record->pendingQueries = faults_.startPendingQueries;
    if (record->pendingQueries > 0) {
      record->state = ServiceState::kStartPending;
      record->waitHintMs = faults_.startWaitHintMs;
      record->checkPointGrows = faults_.checkPointGrows;
    } else {
      record->state = ServiceState::kRunning;
    }
    started = true;
  });
  return reached && started;
}

bool ServiceDatabase::QueryStatus(const std::string& name, platform::ServiceStatus& status) {
  if (faults_.statusFails) return false;
  bool found = false;
  const bool reached = Change([&](ServiceTable& table) {
    ServiceRecord* record = table.Find(name);
    if (record == nullptr) return;
    found = true;
    status = {record->state, record->checkPoint, record->waitHintMs};
    if (record->state != ServiceState::kStartPending) return;
    // Start-up progresses one step per query, so a caller's wait loop is deterministic.
    if (record->checkPointGrows) ++record->checkPoint;
    if (record->pendingQueries > 1) {
      --record->pendingQueries;
    } else {
      record->pendingQueries = 0;
      record->state = ServiceState::kRunning;
      record->checkPoint = 0;
      record->waitHintMs = 0;
    }
  });
  return reached && found;
}

bool ServiceDatabase::Stop(const std::string& name) {
  bool stopped = false;
  const bool reached = Change([&](ServiceTable& table) {
    ServiceRecord* record = table.Find(name);
    // A stopped service is not active, and one still starting cannot accept the control.
    if (record == nullptr || record->state != ServiceState::kRunning) return;
    record->state = ServiceState::kStopped;
    record->uses.clear();
    stopped = true;
  });
  return reached && stopped;
}

bool ServiceDatabase::MarkForDeletion(const std::string& name) {
  bool marked = false;
  const bool reached = Change([&](ServiceTable& table) {
    ServiceRecord* record = table.Find(name);
    if (record == nullptr || record->deletePending) return;
    record->deletePending = true;
    marked = true;
  });
  return reached && marked;
}

bool ServiceDatabase::IsRunning(const std::string& name) {
  bool running = false;
  Change([&](ServiceTable& table) {
    const ServiceRecord* record = table.Find(name);
    running = record != nullptr && record->state == ServiceState::kRunning;
  });
  return running;
}

std::optional<uint32_t> ServiceDatabase::ChangeUses(const std::string& name, int32_t delta) {
  std::optional<uint32_t> count;
  const bool reached = Change([&](ServiceTable& table) {
    ServiceRecord* record = table.Find(name);
    if (record == nullptr || record->state != ServiceState::kRunning) return;
    // A process cannot release more uses than it holds.
    const int64_t mine = int64_t{record->uses[host_.processId]} + delta;
    const auto kept = static_cast<uint32_t>(std::clamp<int64_t>(mine, 0, UINT32_MAX));
    if (kept == 0) {
      record->uses.erase(host_.processId);
    } else {
      record->uses[host_.processId] = kept;
    }
    count = record->UseCount();
  });
  return reached ? count : std::nullopt;
}

}  // namespace pacetta::sim
