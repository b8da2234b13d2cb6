#pragma once
#include <functional>
#include <memory>

namespace pacetta::platform {

// Watches for the end of the session (Ctrl-C, SIGTERM, hang-up) and calls back once per
// request, on a thread of its own, so the program can close in order.
class TerminationWatch {
 public:
  virtual ~TerminationWatch() = default;
};

// Must be created before any other thread starts, so every thread inherits the blocking
// of the watched signals.
std::unique_ptr<TerminationWatch> WatchTermination(std::function<void()> onTerminate);

}  // namespace pacetta::platform
