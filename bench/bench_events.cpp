// The events engine runs on every refresh of the main window (once a second by default)
// and looks at every running program each time. Targets: a full list of 256 events
// against 1024 running programs well under a millisecond, and reading the user's
// programs from /proc in a few milliseconds on a desktop.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "addins/events/events_engine_impl.h"
#include "addins/host_messages.h"
#include "platform/civil_time.h"
#include "platform/linux/running_programs.h"

namespace {

using namespace pacetta;

// A host whose answers cost nothing: what is measured is the engine's own work.
class QuietHost final : public addins::HostWindow {
 public:
  QuietHost() {
    for (int i = 0; i < 1024; ++i) programs.push_back("program-" + std::to_string(i) + ".bin");
  }
  int64_t Send(uint32_t message, uint64_t, int64_t) override {
    return message == addins::kHostPowerSource ? 1 : 50;
  }
  uint32_t TickCount() override { return tick += 1000; }
  int64_t NowSeconds() override { return seconds += 1; }
  addins::CalendarTime LocalNow() override { return {2026, 12, 3, 9, 8, 0, 0, 0}; }
  std::optional<int64_t> LocalToSeconds(const addins::CalendarTime& local) override {
    return platform::UtcSecondsOf(
        {local.year, local.month, local.day, local.hour, local.minute, local.second, 0});
  }
  std::vector<std::string> RunningProgramNames(size_t) override { return programs; }
  std::optional<uint32_t> IdleMilliseconds() override { return 1000; }
  bool StartCommandLine(const std::string&) override { return true; }
  bool RequestPower(addins::PowerRequest) override { return true; }
  void Sleep(uint32_t) override {}

  std::vector<std::string> programs;
  uint32_t tick = 0;
  int64_t seconds = 1'800'000'000;
};

// 256 events of every type, half of them waiting for a program that never runs, so that
// each of those compares its name with all 1024 programs.
void BM_EvaluateFullList(benchmark::State& state) {
  QuietHost host;
  addins::EventsEngineImpl engine;
  engine.SetHostWindow(&host);
  engine.SetCount(addins::kMaxEvents);
  for (int32_t i = 0; i < addins::kMaxEvents; ++i) {
    addins::EventRecord event = addins::BlankEvent();
    event.enabled = 1;
    event.type = i % 2 == 0 ? static_cast<int32_t>(addins::EventType::kApplicationRunning)
                            : i / 2 % addins::kEventTypeCount;
    if (event.type == static_cast<int32_t>(addins::EventType::kApplicationRunning)) {
      addins::SetFieldText(event.parameters, "Not-Running-" + std::to_string(i) + ".bin");
    }
    if (event.type == static_cast<int32_t>(addins::EventType::kDaily)) {
      addins::WriteParameter<int32_t>(event.parameters, addins::kRepeatOrDaysAt, 3600);
    }
    engine.SetRecord(i, event);
  }
  for (auto _ : state) {
    engine.Evaluate();
    benchmark::DoNotOptimize(engine.IsActive(0));
  }
}
BENCHMARK(BM_EvaluateFullList)->Unit(benchmark::kMicrosecond);

// The user's programs from the real /proc of this machine.
void BM_RunningProgramsFromProc(benchmark::State& state) {
  const linux_os::SysfsRoot root("/");
  size_t count = 0;
  for (auto _ : state) {
    count = linux_os::RunningProgramNames(root, getuid(), 1024).size();
    benchmark::DoNotOptimize(count);
  }
  state.counters["programs"] = static_cast<double>(count);
}
BENCHMARK(BM_RunningProgramsFromProc)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
