#pragma once
#include "platform/driver_service.h"
#include "platform/system.h"

namespace pacetta {

// Waits while `service` reports start-pending, polling at one tenth of its wait hint
// (between 1 and 10 seconds). The wait goes on as long as the service's check point
// keeps growing, and ends once the check point has stood still for longer than the wait
// hint, or a status query fails. `status` holds the last status that was read.
void WaitWhileStartPending(platform::Service& service, platform::System& system,
                           platform::ServiceStatus& status);

}  // namespace pacetta
