#pragma once
#include "tools/portex64/request_handler.h"

namespace pacetta::portex {

// Serves one connection until the client closes it, sends something that is not a
// frame, stalls in the middle of a frame, or the helper shuts the connection down.
void ServeConnection(int connection, RequestHandler& handler);

}  // namespace pacetta::portex
