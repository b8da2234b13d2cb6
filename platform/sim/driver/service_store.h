#pragma once
#include <filesystem>
#include <functional>
#include <mutex>

#include "platform/sim/driver/service_table.h"

namespace pacetta::sim {

// Where the simulated machine keeps its installed services. Every change is one
// read-modify-write under the store's lock.
class ServiceStore {
 public:
  virtual ~ServiceStore() = default;
  // Runs `change` on the current table and keeps what it leaves. False when the store
  // cannot be reached; `change` has not run then.
  virtual bool Update(const std::function<void(ServiceTable&)>& change) = 0;
};

// For unit tests and single-process runs: the table lives in this object.
class MemoryServiceStore : public ServiceStore {
 public:
  bool Update(const std::function<void(ServiceTable&)>& change) override;

 private:
  std::mutex mutex_;
  ServiceTable table_;
};

// Shares the services between every process that simulates the same machine, as a real
// machine's services are shared: one JSON state file in `folder`, guarded by an
// advisory lock on a companion lock file. The lock dies with its process, and the file
// is replaced by rename, so a crashed process leaves neither a held lock nor a torn file.
class FileServiceStore : public ServiceStore {
 public:
  explicit FileServiceStore(std::filesystem::path folder);
  bool Update(const std::function<void(ServiceTable&)>& change) override;

  std::filesystem::path StatePath() const { return folder_ / "services.json"; }

 private:
  std::filesystem::path folder_;
  // flock locks belong to the open file description, so threads of this process
  // serialise here before taking it.
  std::mutex mutex_;
};

}  // namespace pacetta::sim
