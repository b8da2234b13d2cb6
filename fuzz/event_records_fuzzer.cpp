// The events module's stored lists ("EventsData", "ActionsData" in the ProFeatures key),
// read as the program reads them and then run by both engines against a host whose
// answers come from the input too.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

#include "addins/events/actions_engine_impl.h"
#include "addins/events/events_engine_impl.h"
#include "addins/host_messages.h"
#include "app/addins/pro_features.h"
#include "app/addins/pro_features_store.h"
#include "fuzz/fuzz_support.h"
#include "platform/civil_time.h"
#include "platform/memory_registry.h"

namespace pacetta::fuzz {
namespace {

using namespace addins;

// The system as the engines see it: fixed answers, a clock that moves on with each
// evaluation, and a record of what the actions asked for.
class FuzzHost final : public HostWindow {
 public:
  explicit FuzzHost(FuzzedDataProvider& input)
      : profile_(input.ConsumeIntegralInRange<int64_t>(-1, 40)),
        source_(input.ConsumeIntegralInRange<int64_t>(0, 2)),
        battery_(input.ConsumeIntegralInRange<int64_t>(0, 255)),
        temperature_(input.ConsumeIntegralInRange<int64_t>(0, 120)),
        powerEvent_(input.ConsumeIntegralInRange<int64_t>(0, 2)),
        idleMs_(input.ConsumeIntegral<uint32_t>()),
        program_(input.ConsumeRandomLengthString(40)) {}

  void Advance(int64_t seconds) { now_ += seconds; }

  int64_t Send(uint32_t message, uint64_t wParam, int64_t) override {
    switch (message) {
      case kHostGetProfile:
        return profile_;
      case kHostSetProfile:
        profile_ = static_cast<int64_t>(wParam);
        return 1;
      case kHostPowerSource:
        return source_;
      case kHostBatteryLevel:
        return battery_;
      case kHostTemperature:
        return temperature_;
      case kHostPowerEvent:
        return powerEvent_;
      default:
        return 0;
    }
  }
  uint32_t TickCount() override { return static_cast<uint32_t>(now_ * 1000); }
  int64_t NowSeconds() override { return now_; }
  CalendarTime LocalNow() override {
    const platform::LocalTime reading = platform::UtcReadingOf(now_);
    return {reading.year,
            reading.month,
            static_cast<uint16_t>(platform::DayOfWeek(reading.year, reading.month, reading.day)),
            reading.day,
            reading.hour,
            reading.minute,
            reading.second,
            0};
  }
  std::optional<int64_t> LocalToSeconds(const CalendarTime& local) override {
    return platform::UtcSecondsOf(
        {local.year, local.month, local.day, local.hour, local.minute, local.second, 0});
  }
  std::vector<std::string> RunningProgramNames(size_t) override { return {program_}; }
  std::optional<uint32_t> IdleMilliseconds() override { return idleMs_; }
  bool StartCommandLine(const std::string& commandLine) override {
    started.push_back(commandLine);
    return false;
  }
  bool RequestPower(PowerRequest request) override {
    powerRequests.push_back(request);
    return false;
  }
  void Sleep(uint32_t milliseconds) override {
    FUZZ_CHECK(milliseconds <= ActionsEngineImpl::kMaxSuspendHoldMs);
  }

  std::vector<std::string> started;
  std::vector<PowerRequest> powerRequests;

 private:
  int64_t now_ = 1796774400;  // 2026-12-09 00:00 UTC
  int64_t profile_;
  int64_t source_;
  int64_t battery_;
  int64_t temperature_;
  int64_t powerEvent_;
  uint32_t idleMs_;
  std::string program_;
};

bool HasEnabledAction(const StoredProFeatures& lists, ActionType type) {
  for (int32_t i = 0; i < lists.actionCount; ++i) {
    const ActionRecord& action = lists.actions[static_cast<size_t>(i)];
    if (action.enabled != 0 && action.type == static_cast<int32_t>(type)) return true;
  }
  return false;
}

// Written back and read again, the lists come back byte for byte.
void CheckWriteReadsBack(const StoredProFeatures& lists) {
  platform::MemoryRegistry registry;
  FUZZ_CHECK(WriteProFeatures(registry, lists));
  const StoredProFeatures again = ReadProFeatures(registry);
  FUZZ_CHECK(again.eventCount == lists.eventCount && again.actionCount == lists.actionCount);
  FUZZ_CHECK(std::memcmp(again.events.data(), lists.events.data(),
                         sizeof(EventRecord) * static_cast<size_t>(lists.eventCount)) == 0);
  FUZZ_CHECK(std::memcmp(again.actions.data(), lists.actions.data(),
                         sizeof(ActionRecord) * static_cast<size_t>(lists.actionCount)) == 0);
}

void RunEngines(const StoredProFeatures& lists, FuzzHost& host) {
  EventsEngineImpl events;
  ActionsEngineImpl actions(events);
  events.SetHostWindow(&host);
  actions.SetHostWindow(&host);
  events.SetCount(lists.eventCount);
  for (int32_t i = 0; i < lists.eventCount; ++i)
    events.SetRecord(i, lists.events[static_cast<size_t>(i)]);
  actions.SetCount(lists.actionCount);
  for (int32_t i = 0; i < lists.actionCount; ++i)
    actions.SetRecord(i, lists.actions[static_cast<size_t>(i)]);
  // A minute, an hour, a day and a week later, and once the clock was set back.
  for (const int64_t step : {0, 60, 3600, 86400, 7 * 86400, -86400}) {
    host.Advance(step);
    events.Evaluate();
    actions.Run();
  }
  actions.EndAll();
  // Only actions the lists hold, switched on, ever act.
  FUZZ_CHECK(host.started.empty() || HasEnabledAction(lists, ActionType::kRunApplication));
  for (const PowerRequest request : host.powerRequests) {
    const ActionType type = request == PowerRequest::kStandby     ? ActionType::kStandby
                            : request == PowerRequest::kHibernate ? ActionType::kHibernate
                                                                  : ActionType::kShutdown;
    FUZZ_CHECK(HasEnabledAction(lists, type));
  }
}

}  // namespace
}  // namespace pacetta::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pacetta;
  FuzzedDataProvider input(data, size);
  fuzz::FuzzHost host(input);
  platform::MemoryRegistry registry;
  {
    const auto key = registry.OpenUserKey(kProFeaturesKeyPath, true);
    // Mostly the version this program writes: any other reads nothing or the same.
    key->WriteDword("ModuleVersion",
                    input.ConsumeBool() ? kProFeaturesFormat : input.ConsumeIntegral<uint32_t>());
    const auto events = input.ConsumeIntegralInRange<size_t>(0, 8 * sizeof(addins::EventRecord));
    key->WriteBinary("EventsData", input.ConsumeBytes<uint8_t>(events));
    key->WriteBinary("ActionsData", input.ConsumeRemainingBytes<uint8_t>());
  }
  const StoredProFeatures lists = ReadProFeatures(registry);
  fuzz::CheckWriteReadsBack(lists);
  fuzz::RunEngines(lists, host);
  return 0;
}
