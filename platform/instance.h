#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace pacetta::platform {

// A manual-reset event with a machine-wide name. Whoever creates it first owns the name
// until the object is destroyed; later creators learn that it existed already.
class NamedEvent {
 public:
  virtual ~NamedEvent() = default;
  virtual void Set() = 0;
  virtual void Reset() = 0;
  virtual bool IsSet() = 0;
  // True when the event is (or becomes) set within `timeout`.
  virtual bool Wait(std::chrono::milliseconds timeout) = 0;
};

class NamedEvents {
 public:
  virtual ~NamedEvents() = default;
  // Null when the event cannot be created. `alreadyExisted` tells whether another
  // holder had the name; the returned object then does not own it.
  virtual std::unique_ptr<NamedEvent> Create(const std::string& name, bool& alreadyExisted) = 0;
};

// A window message as it travels between instances and from add-ins.
struct WindowMessage {
  uint32_t message = 0;
  uint32_t wParam = 0;
  int32_t lParam = 0;
};

inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmUser = 0x0400;

// The receiving side of a published window. Called on a platform thread: the
// implementation hands the work to its own loop.
class WindowHandler {
 public:
  virtual ~WindowHandler() = default;
  virtual void OnPosted(const WindowMessage& message) = 0;
  // A synchronous message; the result travels back to the sender.
  virtual int64_t OnSent(const WindowMessage& message) = 0;
  virtual bool IsVisible() = 0;
  virtual void Show() = 0;
  virtual void BringToForeground() = 0;
};

// A window found by class and caption, possibly in another process.
class WindowPeer {
 public:
  virtual ~WindowPeer() = default;
  virtual bool Post(const WindowMessage& message) = 0;
  // Nullopt when the window did not answer within `timeout`.
  virtual std::optional<int64_t> Send(const WindowMessage& message,
                                      std::chrono::milliseconds timeout) = 0;
  virtual bool IsVisible() = 0;
  virtual bool Show() = 0;
  virtual bool BringToForeground() = 0;
};

// Keeps a window findable while it lives.
class PublishedWindow {
 public:
  virtual ~PublishedWindow() = default;
};

class Windows {
 public:
  virtual ~Windows() = default;
  virtual std::unique_ptr<WindowPeer> Find(const std::string& windowClass,
                                           const std::string& caption) = 0;
  // Null when the identity cannot be published. `handler` must outlive the result.
  virtual std::unique_ptr<PublishedWindow> Publish(const std::string& windowClass,
                                                   const std::string& caption,
                                                   WindowHandler& handler) = 0;
};

}  // namespace pacetta::platform
