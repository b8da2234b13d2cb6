#include "tests/e2e/x_session.h"

#include <signal.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

size_t Indent(const std::string& line) {
  return line.find_first_not_of(' ');
}

}  // namespace

XSession::XSession() {
  // The server picks a free display and names it on the descriptor given.
  server_ = std::make_unique<ChildProcess>(
      "/usr/bin/Xvfb",
      std::vector<std::string>{"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"},
      std::vector<std::string>{});
  if (!server_->Started() || !server_->WaitForOutput("\n", 60s)) {
    failure_ = "Xvfb did not start: " + server_->Errors();
    return;
  }
  display_ = ":" + FirstLine(server_->Output());
  bus_ = std::make_unique<ChildProcess>(
      "/usr/bin/dbus-daemon",
      std::vector<std::string>{"--session", "--nofork", "--print-address=1"},
      std::vector<std::string>{});
  if (!bus_->Started() || !bus_->WaitForOutput("\n", 60s)) {
    failure_ = "the session bus did not start: " + bus_->Errors();
    return;
  }
  busAddress_ = FirstLine(bus_->Output());
}

XSession::~XSession() {
  StopTrayHost();
  for (ChildProcess* process : {bus_.get(), server_.get()}) {
    if (!process || !process->Started()) continue;
    process->Signal(SIGTERM);
    if (process->WaitForExit(30s) < 0) process->Signal(SIGKILL);
  }
}

std::vector<std::string> XSession::Environment() const {
  return {"DISPLAY=" + display_, "DBUS_SESSION_BUS_ADDRESS=" + busAddress_};
}

bool XSession::StartTrayHost() {
  StopTrayHost();
  trayHost_ = std::make_unique<ChildProcess>(
      "/usr/bin/trayer",
      std::vector<std::string>{"--edge", "top", "--align", "right", "--widthtype", "request",
                               "--height", "24", "--SetDockType", "true", "--transparent", "false"},
      Environment());
  if (!trayHost_->Started()) return false;
  // Ready once its panel window exists.
  return WaitForDocked("\x01", [](int docked) { return docked >= 0; });
}

void XSession::StopTrayHost() {
  if (!trayHost_) return;
  trayHost_->Signal(SIGTERM);
  if (trayHost_->WaitForExit(30s) < 0) {
    trayHost_->Signal(SIGKILL);
    trayHost_->WaitForExit(30s);
  }
  trayHost_.reset();
}

int XSession::DockedWindows(const std::string& windowClass) {
  const Finished tree = RunToEnd("/usr/bin/xwininfo", {"-root", "-tree"}, Environment());
  if (tree.exitCode != 0) return -1;
  // The windows below the tray host's panel, by their indentation in the tree.
  std::istringstream lines(tree.output);
  std::string line;
  size_t panelIndent = std::string::npos;
  int docked = -1;
  const std::string wanted = "(\"" + windowClass + "\" ";
  while (std::getline(lines, line)) {
    if (panelIndent == std::string::npos) {
      if (line.find("(\"panel\" \"trayer\")") != std::string::npos) {
        panelIndent = Indent(line);
        docked = 0;
      }
      continue;
    }
    if (Indent(line) <= panelIndent) break;
    if (line.find(wanted) != std::string::npos) ++docked;
  }
  return docked;
}

bool XSession::WaitForDocked(const std::string& windowClass,
                             const std::function<bool(int)>& wanted) {
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (wanted(DockedWindows(windowClass))) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

bool XSession::DumpScreen(const std::string& path) {
  return RunToEnd("/usr/bin/xwd", {"-root", "-silent", "-out", path}, Environment()).exitCode == 0;
}

}  // namespace pacetta::testing
