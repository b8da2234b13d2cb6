#pragma once
// A desktop for end-to-end tests: a virtual X server, a session bus, and a tray host that
// can be restarted, all real programs.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"

namespace pacetta::testing {

class XSession {
 public:
  // Starts the X server and the session bus; check Ready() (Failure() says why not).
  XSession();
  ~XSession();

  bool Ready() const { return failure_.empty(); }
  const std::string& Failure() const { return failure_; }
  // DISPLAY and DBUS_SESSION_BUS_ADDRESS, for the programs the test starts.
  std::vector<std::string> Environment() const;

  // Starts (again) the tray host along the screen's top edge; stops it.
  bool StartTrayHost();
  void StopTrayHost();
  // The windows of `windowClass` that the tray host holds now; -1 when the X server
  // cannot be asked or no tray host runs.
  int DockedWindows(const std::string& windowClass);
  // Polls the docked windows until `wanted` holds for their count, at most 60 s.
  bool WaitForDocked(const std::string& windowClass, const std::function<bool(int)>& wanted);
  // Saves the screen as an X window dump at `path`.
  bool DumpScreen(const std::string& path);

 private:
  std::unique_ptr<ChildProcess> server_;
  std::unique_ptr<ChildProcess> bus_;
  std::unique_ptr<ChildProcess> trayHost_;
  std::string display_;
  std::string busAddress_;
  std::string failure_;
};

}  // namespace pacetta::testing
