#include "platform/sim/driver/sim_service_control.h"

namespace pacetta::sim {
namespace {

class SimService : public platform::Service {
 public:
  // Takes over one handle that the database has already counted.
  SimService(std::shared_ptr<ServiceDatabase> database, std::string name)
      : database_(std::move(database)), name_(std::move(name)) {}
  ~SimService() override { database_->CloseHandle(name_); }
  SimService(const SimService&) = delete;
  SimService& operator=(const SimService&) = delete;

  bool Start() override { return database_->Start(name_); }
  bool QueryStatus(platform::ServiceStatus& status) override {
    return database_->QueryStatus(name_, status);
  }
  bool Stop() override { return database_->Stop(name_); }
  bool Delete() override { return database_->MarkForDeletion(name_); }

 private:
  std::shared_ptr<ServiceDatabase> database_;
  std::string name_;
};

class SimServiceManager : public platform::ServiceManager {
 public:
  explicit SimServiceManager(std::shared_ptr<ServiceDatabase> database)
      : database_(std::move(database)) {}

  std::unique_ptr<platform::Service> CreateDriverService(const std::string& name,
                                                         const std::string& displayName,
                                                         const std::string& binaryPath) override {
    if (database_->Faults().createFails) return nullptr;
    if (!database_->Create(name, displayName, binaryPath)) return nullptr;
    return std::make_unique<SimService>(database_, name);
  }

  std::unique_ptr<platform::Service> OpenService(const std::string& name) override {
    if (database_->Faults().openFails) return nullptr;
    if (!database_->OpenHandle(name)) return nullptr;
    return std::make_unique<SimService>(database_, name);
  }

 private:
  std::shared_ptr<ServiceDatabase> database_;
};

}  // namespace

SimServiceControl::SimServiceControl(std::shared_ptr<ServiceDatabase> database)
    : database_(std::move(database)) {}

std::unique_ptr<platform::ServiceManager> SimServiceControl::OpenManager() {
  if (database_->Faults().managerRefused) return nullptr;
  return std::make_unique<SimServiceManager>(database_);
}

}  // namespace pacetta::sim
