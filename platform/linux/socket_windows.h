#pragma once
#include "platform/instance.h"

namespace pacetta::linux_os {

// Windows found by class and caption through a Unix socket per window in the user's
// runtime folder. Each request is one short connection: a 16-byte frame {kind, message,
// wParam, lParam} answered by an 8-byte result, so a slow client never holds up others.
class SocketWindows final : public platform::Windows {
 public:
  std::unique_ptr<platform::WindowPeer> Find(const std::string& windowClass,
                                             const std::string& caption) override;
  std::unique_ptr<platform::PublishedWindow> Publish(const std::string& windowClass,
                                                     const std::string& caption,
                                                     platform::WindowHandler& handler) override;
};

}  // namespace pacetta::linux_os
