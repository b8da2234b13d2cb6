#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "addins/events_engines.h"
#include "addins/host_messages.h"
#include "platform/civil_time.h"

namespace pacetta::testing {

// The host window of the engines' tests: a system whose every value the test sets, and a
// record of what the engines asked of it. The clock is UTC.
class FakeHostWindow final : public addins::HostWindow {
 public:
  struct SentProfile {
    int64_t profile;
    int64_t slot;
    bool operator==(const SentProfile&) const = default;
  };

  // What the host answers.
  int64_t seconds = 0;
  uint32_t tick = 1000;
  std::map<uint64_t, int64_t> profiles{{0, 1}, {1, 1}, {3, 1}};
  int64_t powerSource = 1;
  int64_t batteryLevel = 255;
  int64_t temperature = 0;
  int64_t powerEvent = 0;
  std::array<uint8_t, 16> scheme{};
  std::vector<std::string> programs;
  std::optional<uint32_t> idleMs;

  // What the engines did.
  std::vector<SentProfile> profileChanges;
  std::vector<std::string> started;
  std::vector<addins::PowerRequest> powerRequests;
  std::vector<uint32_t> sleeps;

  // Moves both clocks on.
  void Advance(int64_t bySeconds) {
    seconds += bySeconds;
    tick += static_cast<uint32_t>(bySeconds * 1000);
  }

  int64_t Send(uint32_t message, uint64_t wParam, int64_t lParam) override {
    switch (message) {
      case addins::kHostSetProfile:
        profileChanges.push_back({static_cast<int64_t>(wParam), lParam});
        profiles[lParam == 3 ? (powerSource == 1 ? 0 : 1) : static_cast<uint64_t>(lParam)] =
            static_cast<int64_t>(wParam);
        return 1;
      case addins::kHostGetProfile:
        return profiles[wParam == 3 ? (powerSource == 1 ? 0 : 1) : wParam];
      case addins::kHostPowerSource:
        return powerSource;
      case addins::kHostBatteryLevel:
        return batteryLevel;
      case addins::kHostTemperature:
        return temperature;
      case addins::kHostPowerEvent: {
        const int64_t mark = powerEvent;
        powerEvent = 0;
        return mark;
      }
      case addins::kHostPowerScheme: {
        auto* buffer = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(wParam));
        std::copy(scheme.begin(), scheme.end(), buffer);
        return 1;
      }
      default:
        return 0;
    }
  }
  uint32_t TickCount() override { return tick; }
  int64_t NowSeconds() override { return seconds; }
  addins::CalendarTime LocalNow() override {
    const platform::LocalTime now = platform::UtcReadingOf(seconds);
    return {now.year,
            now.month,
            static_cast<uint16_t>(platform::DayOfWeek(now.year, now.month, now.day)),
            now.day,
            now.hour,
            now.minute,
            now.second,
            0};
  }
  std::optional<int64_t> LocalToSeconds(const addins::CalendarTime& local) override {
    return platform::UtcSecondsOf(
        {local.year, local.month, local.day, local.hour, local.minute, local.second, 0});
  }
  std::vector<std::string> RunningProgramNames(size_t limit) override {
    return {programs.begin(),
            programs.begin() + static_cast<long>(std::min(limit, programs.size()))};
  }
  std::optional<uint32_t> IdleMilliseconds() override { return idleMs; }
  bool StartCommandLine(const std::string& commandLine) override {
    started.push_back(commandLine);
    return true;
  }
  bool RequestPower(addins::PowerRequest request) override {
    powerRequests.push_back(request);
    return true;
  }
  void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
};

// Seconds of a UTC date and time.
inline int64_t At(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                  uint16_t second) {
  return *platform::UtcSecondsOf({year, month, day, hour, minute, second, 0});
}

}  // namespace pacetta::testing
