#pragma once
#include <memory>
#include <string>

#include "platform/driver_service.h"
#include "platform/sim/driver/service_database.h"

namespace pacetta::sim {

// The simulated machine's service control manager. Handles are RAII objects: a
// destroyed service object is a closed handle.
class SimServiceControl : public platform::ServiceControl {
 public:
  explicit SimServiceControl(std::shared_ptr<ServiceDatabase> database);

  std::unique_ptr<platform::ServiceManager> OpenManager() override;

  // The database the driver device consults for its service and use count.
  const std::shared_ptr<ServiceDatabase>& Database() const { return database_; }

 private:
  std::shared_ptr<ServiceDatabase> database_;
};

}  // namespace pacetta::sim
