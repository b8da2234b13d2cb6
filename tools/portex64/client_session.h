#pragma once
#include <chrono>

#include "tools/portex64/request_handler.h"

namespace pacetta::portex {

// Serves one connection until the client closes it, sends something that is not a
// frame, stalls in the middle of a frame, stays without a request for `idleTimeout`
// (0: never) while it holds no use of the driver, or the helper shuts it down.
void ServeConnection(int connection, RequestHandler& handler,
                     std::chrono::milliseconds idleTimeout);

}  // namespace pacetta::portex
