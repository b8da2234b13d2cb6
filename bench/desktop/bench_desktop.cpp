// Figures of the desktop program on a simulated two-processor laptop, Qt's offscreen
// platform:
//  - in process, with the program running: building the main window with every page (and
//    showing and painting it once), and one refresh with the window shown, in processor
//    time of the whole process (the monitoring threads' sampling included; "Time" is that
//    processor time, wall_ms the refresh's duration);
//  - the tray's pictures drawn anew from changing values and made Qt icons, as a refresh
//    whose values all changed does (frequency, load meter and graph, temperature);
//  - the Monitoring page in front: a refresh (samples taken, the views updated, the page
//    painted) in the main thread's processor time ("CPU"; the monitoring threads sample on
//    threads of their own), beside the same refresh with the About page in front, and the
//    page's texts and pictures alone drawn again;
//  - `--rss-seconds=S`: the desktop program's resident memory after S seconds of running
//    (default 60), started as a user starts it.
//
//   bench_desktop [--machine=NAME] [benchmark flags]
//   bench_desktop --rss-seconds=S [--on-display] [--program=PATH]
//
// --on-display runs the program on this process's display (e.g. under xvfb-run) instead
// of the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/console/console_message_boxes.h"
#include "app/lifecycle/program_flow.h"
#include "platform/sim/simulated_pc.h"
#include "tests/e2e/child_process.h"
#include "tests/test_support/temp_folder.h"
#include "ui/desktop_front_end.h"
#include "ui/icons/tray_icons.h"
#include "ui/pages/monitoring/monitor_view.h"
#include "ui/pages/page_catalogue.h"
#include "ui/tray/icon_pixmaps.h"

namespace pacetta::ui {
namespace {

using Clock = std::chrono::steady_clock;

// The pages and the window as the program builds them; `show`: also shown and painted.
void WindowWithEveryPage(benchmark::State& state, DesktopModel& model, bool show) {
  const std::vector<PageRegistration> pages = BuiltInPages();
  const WindowOptions tray{[] { return true; }};
  for (auto _ : state) {
    const auto start = Clock::now();
    {
      MainDialog window(model, pages, tray);
      if (show) {
        window.show();
        benchmark::DoNotOptimize(window.grab());
      }
      state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
  }
}

// Processor time of the whole process so far, in seconds.
double ProcessSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Runs the loop for `duration`.
void RunEventsFor(std::chrono::milliseconds duration) {
  const auto until = Clock::now() + duration;
  while (Clock::now() < until) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// One refresh as the refresh timer runs it (every processor sampled, the views updated)
// with the window shown on root item `item`: the process's processor time, the monitoring
// threads' included. The program's own timer rests meanwhile; each refresh waits out the
// refresh interval, as the refresh gate admits no more.
void RefreshWithWindowShown(benchmark::State& state, MainDialog& window, DesktopModel& model,
                            DesktopFrontEnd& frontEnd, int item) {
  const std::chrono::milliseconds period(model.Settings().intervals.refreshMs);
  window.ShowWindow();
  window.Tree().setCurrentItem(window.Tree().topLevelItem(item));
  frontEnd.StopRefreshTimer();
  double wall = 0.0;
  for (auto _ : state) {
    RunEventsFor(period + std::chrono::milliseconds(20));
    const double cpu = ProcessSeconds();
    const auto start = Clock::now();
    model.ForceRefresh();
    wall += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    state.SetIterationTime(ProcessSeconds() - cpu);
  }
  frontEnd.StartRefreshTimer(period);
  state.counters["wall_ms"] = benchmark::Counter(wall / static_cast<double>(state.iterations()));
  state.SetLabel(window.CaptionText().toStdString());
}

// The meters and graphs of `page` painted so far.
int MonitorPaints(const QWidget& page) {
  int paints = 0;
  for (const MonitorView* view : page.findChildren<MonitorView*>()) paints += view->Paints();
  return paints;
}

constexpr int kAboutItem = 0;
constexpr int kMonitoringItem = 3;

// Root item `item` in front. `sample`: each iteration is a refresh that takes new samples
// (the refresh interval waited out untimed), its views updated and painted; otherwise the
// page's values and pictures are drawn again from the same samples. Timed by Google
// Benchmark's processor time of this (the main) thread.
void PageRefresh(benchmark::State& state, MainDialog& window, DesktopModel& model,
                 DesktopFrontEnd& frontEnd, int item, bool sample) {
  const std::chrono::milliseconds period(model.Settings().intervals.refreshMs);
  window.ShowWindow();
  window.SelectRootItem(item);
  frontEnd.StopRefreshTimer();
  Page* page = window.ShownPage();
  if (!page) {
    state.SkipWithError("no such page");
    return;
  }
  RunEventsFor(std::chrono::milliseconds(50));
  const int paintsBefore = MonitorPaints(*page);
  for (auto _ : state) {
    if (sample) {
      state.PauseTiming();
      RunEventsFor(period + std::chrono::milliseconds(20));
      state.ResumeTiming();
      model.ForceRefresh();
    } else {
      page->RefreshShownValues();
    }
    QApplication::processEvents();
  }
  frontEnd.StartRefreshTimer(period);
  state.counters["paints"] =
      benchmark::Counter(MonitorPaints(*page) - paintsBefore, benchmark::Counter::kAvgIterations);
  state.SetLabel(window.CaptionText().toStdString());
}

// Every value changes at each refresh, so every picture is drawn and converted.
void TrayPictures(benchmark::State& state) {
  icons::LoadHistory history;
  const icons::LoadColors colors{0x00FF00, 0xFFFF00};
  int step = 0;
  for (auto _ : state) {
    const double load = (step * 7) % 101;
    history.Add(load, 100.0 - load, 2);
    benchmark::DoNotOptimize(
        ToQIcon(icons::DrawFrequencyIcon(800.0 + step % 2000, 1.0, 0, 0, 0x80FFFF)));
    benchmark::DoNotOptimize(ToQIcon(icons::DrawLoadMeter(load, 100.0 - load, 2, colors)));
    benchmark::DoNotOptimize(ToQIcon(history.Draw(colors, 2)));
    benchmark::DoNotOptimize(ToQIcon(icons::DrawTemperatureIcon(40.0 + step % 60, 0, 0x80FFFF)));
    ++step;
  }
}

int RunBenchmarks(int argc, char** argv, const std::string& machine) {
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  // Settings and instance of its own: a first start, beside any running program.
  pacetta::testing::TempFolder folder;
  const pacetta::testing::ScopedEnv runtime("PACETTA_RUNTIME_DIR", folder.Path());
  sim::SimulationOptions simulation;
  simulation.machine = machine;
  simulation.settingsPath = folder.File("settings.json");
  std::string error;
  auto pc = sim::SimulatedPc::Create(simulation, error);
  if (!pc) {
    std::fprintf(stderr, "bench_desktop: %s\n", error.c_str());
    return 2;
  }
  ConsoleMessageBoxes boxes;
  DesktopFrontEnd frontEnd;
  frontEnd.OnWindowBuilt([&](MainDialog& window, DesktopModel& model) {
    QTimer::singleShot(0, &frontEnd, [&] {
      benchmark::RegisterBenchmark("WindowWithEveryPage/build", WindowWithEveryPage,
                                   std::ref(model), false)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark("WindowWithEveryPage/build+show+paint", WindowWithEveryPage,
                                   std::ref(model), true)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
      for (int item = 0; item < window.Tree().topLevelItemCount(); ++item) {
        benchmark::RegisterBenchmark("RefreshWithWindowShown/cpu", RefreshWithWindowShown,
                                     std::ref(window), std::ref(model), std::ref(frontEnd), item)
            ->UseManualTime()
            ->Iterations(8)
            ->Unit(benchmark::kMicrosecond);
      }
      benchmark::RegisterBenchmark("TrayPictures/all-changed", TrayPictures)
          ->Unit(benchmark::kMicrosecond);
      for (const int item : {kAboutItem, kMonitoringItem}) {
        benchmark::RegisterBenchmark("PageRefresh/main-thread-cpu", PageRefresh, std::ref(window),
                                     std::ref(model), std::ref(frontEnd), item, true)
            ->Iterations(10)
            ->Unit(benchmark::kMicrosecond);
      }
      benchmark::RegisterBenchmark("PageRefresh/draw-again", PageRefresh, std::ref(window),
                                   std::ref(model), std::ref(frontEnd), kMonitoringItem, false)
          ->Unit(benchmark::kMicrosecond);
      benchmark::RunSpecifiedBenchmarks();
      frontEnd.RequestClose();
    });
  });
  std::printf("pacetta on the simulated %s, %zu processors\n",
              machine.empty() ? "default machine" : machine.c_str(),
              pc->Machine().processors.size());
  return RunProgramFlow(pc->View(), boxes, frontEnd, {}, {}, [&](MainWindow& window) {
    if (!frontEnd.Window()) {
      std::fprintf(stderr, "bench_desktop: the program built no window\n");
      return;
    }
    frontEnd.Attach(&window);
    QApplication::exec();
    frontEnd.Attach(nullptr);
  });
}

// The desktop program as a user starts it, with fresh settings and instance folders: on
// the display of this process (`onDisplay`), else on the offscreen platform.
int ResidentMemory(const std::string& program, const std::string& machine, int seconds,
                   bool onDisplay) {
  pacetta::testing::TempFolder runtime, config;
  std::vector<std::string> environment = {"PACETTA_RUNTIME_DIR=" + runtime.Path(),
                                          "XDG_CONFIG_HOME=" + config.Path()};
  if (!onDisplay) {
    environment.insert(environment.end(),
                       {"QT_QPA_PLATFORM=offscreen", "DISPLAY=", "WAYLAND_DISPLAY="});
  }
  const std::string simulate = "--simulate=" + machine;
  pacetta::testing::ChildProcess child(program, {simulate}, environment);
  // Its processor records are the first lines it writes, before its window is built.
  if (!child.WaitForOutput("CPU 1:", std::chrono::seconds(60))) {
    std::fprintf(stderr, "bench_desktop: the program did not start\n%s\n", child.Errors().c_str());
    return 1;
  }
  std::printf("desktop program (%s), simulated %s: VmRSS %s at start\n",
              onDisplay ? "on the display" : "offscreen", machine.c_str(),
              child.StatusField("VmRSS").c_str());
  // The behaviour measured is "after S seconds of running": a timed wait by design. The
  // output is drained meanwhile, so the program never blocks on a full pipe.
  const auto until = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < until) {
    child.WaitForOutput("\x01", std::chrono::milliseconds(500), child.Mark());
  }
  std::printf("after %d s: VmRSS %s, VmHWM %s\n", seconds, child.StatusField("VmRSS").c_str(),
              child.StatusField("VmHWM").c_str());
  const auto ended = pacetta::testing::RunToEnd(program, {simulate, "-exit"}, environment);
  const int code = child.WaitForExit(std::chrono::seconds(60));
  if (ended.exitCode != 0 || code != 0) {
    std::fprintf(stderr, "bench_desktop: the program did not end in order (%d, %d)\n",
                 ended.exitCode, code);
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace pacetta::ui

int main(int argc, char** argv) {
  std::string machine = "k8-x2-laptop";
  std::string program = PACETTA_PROGRAM;
  int rssSeconds = -1;
  bool onDisplay = false;
  // Our own flags; the rest are Google Benchmark's.
  std::vector<char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--machine=", 0) == 0) {
      machine = argument.substr(10);
    } else if (argument.rfind("--program=", 0) == 0) {
      program = argument.substr(10);
    } else if (argument == "--on-display") {
      onDisplay = true;
    } else if (argument.rfind("--rss-seconds=", 0) == 0) {
      rssSeconds = std::max(0, std::stoi(argument.substr(14)));
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (rssSeconds >= 0) {
    return pacetta::ui::ResidentMemory(program, machine, rssSeconds, onDisplay);
  }
  int restCount = static_cast<int>(rest.size());
  rest.push_back(nullptr);
  benchmark::Initialize(&restCount, rest.data());
  return pacetta::ui::RunBenchmarks(restCount, rest.data(), machine);
}
