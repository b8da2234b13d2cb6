#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "addins/events_engines.h"
#include "platform/platform.h"

namespace pacetta {

// The main window as the events module's engines reach it: their requests go to the
// running program's answers, and what they need of the system to the platform.
class EngineHostWindow final : public addins::HostWindow {
 public:
  using Requests = std::function<int64_t(uint32_t message, uint64_t wParam, int64_t lParam)>;

  EngineHostWindow(platform::Platform& platform, Requests requests);

  int64_t Send(uint32_t message, uint64_t wParam, int64_t lParam) override;
  uint32_t TickCount() override;
  int64_t NowSeconds() override;
  addins::CalendarTime LocalNow() override;
  std::optional<int64_t> LocalToSeconds(const addins::CalendarTime& local) override;
  std::vector<std::string> RunningProgramNames(size_t limit) override;
  std::optional<uint32_t> IdleMilliseconds() override;
  bool StartCommandLine(const std::string& commandLine) override;
  bool RequestPower(addins::PowerRequest request) override;
  void Sleep(uint32_t milliseconds) override;

 private:
  platform::Platform& platform_;
  Requests requests_;
};

}  // namespace pacetta
