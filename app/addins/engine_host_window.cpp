#include "app/addins/engine_host_window.h"

#include <chrono>
#include <utility>

#include "app/addins/command_line.h"
#include "platform/civil_time.h"

namespace pacetta {

EngineHostWindow::EngineHostWindow(platform::Platform& platform, Requests requests)
    : platform_(platform), requests_(std::move(requests)) {}

int64_t EngineHostWindow::Send(uint32_t message, uint64_t wParam, int64_t lParam) {
  return requests_(message, wParam, lParam);
}

uint32_t EngineHostWindow::TickCount() {
  return platform_.system.TickCount();
}

int64_t EngineHostWindow::NowSeconds() {
  return platform_.localClock.EpochSeconds();
}

addins::CalendarTime EngineHostWindow::LocalNow() {
  const platform::LocalTime now = platform_.localClock.Now();
  addins::CalendarTime local;
  local.year = now.year;
  local.month = now.month;
  local.dayOfWeek = static_cast<uint16_t>(platform::DayOfWeek(now.year, now.month, now.day));
  local.day = now.day;
  local.hour = now.hour;
  local.minute = now.minute;
  local.second = now.second;
  local.milliseconds = now.millisecond;
  return local;
}

std::optional<int64_t> EngineHostWindow::LocalToSeconds(const addins::CalendarTime& local) {
  platform::LocalTime reading;
  reading.year = local.year;
  reading.month = local.month;
  reading.day = local.day;
  reading.hour = local.hour;
  reading.minute = local.minute;
  reading.second = local.second;
  return platform_.localClock.EpochSecondsOf(reading);
}

std::vector<std::string> EngineHostWindow::RunningProgramNames(size_t limit) {
  if (platform_.session == nullptr) return {};
  return platform_.session->RunningProgramNames(limit);
}

std::optional<uint32_t> EngineHostWindow::IdleMilliseconds() {
  if (platform_.session == nullptr) return std::nullopt;
  return platform_.session->IdleMilliseconds();
}

bool EngineHostWindow::StartCommandLine(const std::string& commandLine) {
  const std::optional<CommandLine> command = SplitCommandLine(commandLine);
  return command && platform_.system.StartProcess(command->program, command->arguments);
}

bool EngineHostWindow::RequestPower(addins::PowerRequest request) {
  if (platform_.session == nullptr) return false;
  switch (request) {
    case addins::PowerRequest::kStandby:
      return platform_.session->RequestSystemPower(platform::SystemPowerRequest::kStandby);
    case addins::PowerRequest::kHibernate:
      return platform_.session->RequestSystemPower(platform::SystemPowerRequest::kHibernate);
    case addins::PowerRequest::kShutdown:
      return platform_.session->RequestSystemPower(platform::SystemPowerRequest::kPowerOff);
  }
  return false;
}

void EngineHostWindow::Sleep(uint32_t milliseconds) {
  platform_.system.Sleep(std::chrono::milliseconds(milliseconds));
}

}  // namespace pacetta
