#include "platform/user_session.h"

namespace pacetta::platform {

const char* SystemPowerRequestName(SystemPowerRequest request) {
  switch (request) {
    case SystemPowerRequest::kStandby:
      return "standby";
    case SystemPowerRequest::kHibernate:
      return "hibernate";
    case SystemPowerRequest::kPowerOff:
      return "power-off";
  }
  return "unknown";
}

}  // namespace pacetta::platform
