// The events module's two engines and the host window they work with. The host drives
// the engines and keeps their lists; the engines ask the host for the state of the
// system and have it act, always on the host's main thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "addins/addin_object.h"
#include "addins/event_records.h"

namespace pacetta::addins {

// What a system power action asks for.
enum class PowerRequest : uint8_t { kStandby, kHibernate, kShutdown };

// The host's main window as the engines see it. Requests (0x0504 to 0x050A) are answered
// synchronously on the calling thread; the rest are the system's services, which the
// host reaches through its platform layer.
class PACETTA_ADDIN_EXPORT HostWindow {
 public:
  virtual ~HostWindow() = default;
  virtual int64_t Send(uint32_t message, uint64_t wParam, int64_t lParam) = 0;

  // Milliseconds since an arbitrary start, wrapping at 32 bits.
  virtual uint32_t TickCount() = 0;
  // Whole seconds since 1970-01-01 00:00 UTC.
  virtual int64_t NowSeconds() = 0;
  // The local date and time now, with its day of the week.
  virtual CalendarTime LocalNow() = 0;
  // The moment a local date and time stands for (daylight saving as the system decides);
  // nullopt when it is no valid time.
  virtual std::optional<int64_t> LocalToSeconds(const CalendarTime& local) = 0;
  // File names of the running programs that may be inspected, at most `limit`.
  virtual std::vector<std::string> RunningProgramNames(size_t limit) = 0;
  // Milliseconds since the user's last input; nullopt when it cannot be told.
  virtual std::optional<uint32_t> IdleMilliseconds() = 0;
  // Starts a program with optional parameters, as a command line gives them, without a
  // shell; false when it did not start.
  virtual bool StartCommandLine(const std::string& commandLine) = 0;
  virtual bool RequestPower(PowerRequest request) = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

class PACETTA_ADDIN_EXPORT EventsEngine {
 public:
  virtual ~EventsEngine() = default;
  virtual void SetHostWindow(HostWindow* window) = 0;
  virtual int32_t GetCount() const = 0;
  virtual void SetCount(int32_t count) = 0;
  // Null when `index` is outside the 256 slots.
  virtual EventRecord* GetRecord(int32_t index) = 0;
  // Takes the user's part of `record` (enabled, name, type, sources, parameters); the
  // engine's state stays.
  virtual void SetRecord(int32_t index, const EventRecord& record) = 0;
  virtual int32_t IsActive(int32_t index) const = 0;
  virtual uint32_t GetTimeInState(int32_t index) const = 0;
  virtual void Evaluate() = 0;
  // Every event below the count inactive since now.
  virtual void ResetStates() = 0;
};

class PACETTA_ADDIN_EXPORT ActionsEngine {
 public:
  virtual ~ActionsEngine() = default;
  virtual void SetHostWindow(HostWindow* window) = 0;
  virtual int32_t GetCount() const = 0;
  virtual void SetCount(int32_t count) = 0;
  virtual ActionRecord* GetRecord(int32_t index) = 0;
  // Takes everything but `active`.
  virtual void SetRecord(int32_t index, const ActionRecord& record) = 0;
  // Performs the actions whose events hold, ends those whose events changed.
  virtual void Run() = 0;
  virtual void EndAll() = 0;
};

}  // namespace pacetta::addins
