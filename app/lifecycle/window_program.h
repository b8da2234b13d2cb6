#pragma once
#include <cstdint>

#include "platform/instance.h"

namespace pacetta {

// What the main window's messages act on once the program runs. Every call comes on the
// loop's thread, serialised with everything else the window does.
class WindowProgram {
 public:
  virtual ~WindowProgram() = default;
  // A posted message of this window other than close and restart.
  virtual void OnPosted(const platform::WindowMessage& message) = 0;
  // A sent request; the answer goes back to the sender.
  virtual int64_t OnSent(const platform::WindowMessage& message) = 0;
  virtual void OnRefreshTimer() = 0;
  // The orderly shutdown; the loop ends right after it.
  virtual void Shutdown() = 0;
};

}  // namespace pacetta
