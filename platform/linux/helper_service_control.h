#pragma once
#include <memory>
#include <string>

#include "platform/driver_service.h"
#include "platform/linux/helper_config.h"

namespace pacetta::linux_os {

// The service control manager as the program drives it, for the Portex64 helper. A
// helper is "installed" when a record beside its socket names its binary (written by a
// process that may start it) or when a helper already answers on the socket (run by the
// administrator as a system service); it is "running" while the socket answers.
class HelperServiceControl final : public platform::ServiceControl {
 public:
  HelperServiceControl() : HelperServiceControl(DefaultHelperConfig()) {}
  explicit HelperServiceControl(HelperConfig config) : config_(std::move(config)) {}

  // Null for a process that may not start the helper while none runs.
  std::unique_ptr<platform::ServiceManager> OpenManager() override;

 private:
  HelperConfig config_;
};

}  // namespace pacetta::linux_os
