#pragma once
#include <cstdint>

#include "platform/sim/driver/device_requests.h"
#include "platform/sim/driver/register_trace.h"
#include "platform/sim/driver/sim_faults.h"

namespace pacetta::sim {

// One device request on its way to the register trace: what it asks is read before the
// device answers (its output buffer may be its input), what it got after. Requests that
// reach no hardware (the version, the use count) leave no line.
class TracedRequest {
 public:
  TracedRequest(RegisterTrace& trace, uint32_t code, unsigned processor,
                const RequestBuffers& buffers, const DeviceRequests& device,
                const SimFaults& faults);
  ~TracedRequest();
  TracedRequest(const TracedRequest&) = delete;
  TracedRequest& operator=(const TracedRequest&) = delete;

  // Writes the line, with what a successful read placed in `buffers.out`.
  void Finish(const RequestBuffers& buffers, bool succeeded);

 private:
  RegisterTrace& trace_;
  const uint32_t code_;
  bool open_ = false;  // begun and not yet ended
  bool injected_ = false;
  TraceAccess access_;
};

}  // namespace pacetta::sim
