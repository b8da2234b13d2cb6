#pragma once

namespace pacetta::portex {

// Tells the service manager that the helper now listens ("READY=1" on the datagram
// socket named by NOTIFY_SOCKET: a path, or an abstract name written with a leading
// '@'), so that a Type=notify unit counts as started only once clients can connect.
// NOTIFY_SOCKET is removed from the environment in any case: nothing the helper starts
// later may speak for the service. False when there was no socket to tell or the
// message did not go out.
bool NotifyServiceReady();

}  // namespace pacetta::portex
