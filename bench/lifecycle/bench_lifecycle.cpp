// Figures of the running program on the default simulated machine: start to the first
// status line, the start's calibration loops, an orderly end to the process being gone,
// and the console instance's resident memory after a while.
//
//   bench_lifecycle [--runs=N] [--rss-seconds=S] [--program=PATH]
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/lifecycle/start_calibration.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/settings_seed.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;
using testing::ChildProcess;
using testing::TempFolder;

struct Options {
  int runs = 10;
  int rssSeconds = 60;
  std::string program = PACETTA_PROGRAM;
};

// Every run has folders of its own: a fresh settings file and a free instance.
struct Folders {
  TempFolder runtime;
  TempFolder config;
  std::vector<std::string> Env() const {
    return {"PACETTA_RUNTIME_DIR=" + runtime.Path(), "XDG_CONFIG_HOME=" + config.Path(),
            "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
  }
};

const std::string kFirstStatus = " | No management\n";

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const auto at = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

void Report(const char* what, const std::vector<double>& ms) {
  std::printf("%-44s median %8.1f ms   p90 %8.1f ms   max %8.1f ms   (n=%zu)\n", what,
              Percentile(ms, 0.5), Percentile(ms, 0.9), Percentile(ms, 1.0), ms.size());
}

// Starts the console instance and waits for its first status line; the time it took, or
// a negative value when it never came.
double StartToFirstStatus(const Options& options, const Folders& folders,
                          std::unique_ptr<ChildProcess>& child) {
  const auto start = Clock::now();
  child = std::make_unique<ChildProcess>(
      options.program, std::vector<std::string>{"--simulate", "--console"}, folders.Env());
  if (!child->WaitForOutput(kFirstStatus, std::chrono::seconds(60))) return -1.0;
  return Ms(Clock::now() - start).count();
}

// Ends the instance with a second start's "-exit", or with SIGTERM; the time until the
// process is gone, or a negative value when it did not end in order.
double EndToGone(const Options& options, const Folders& folders, ChildProcess& child,
                 bool bySignal) {
  const auto start = Clock::now();
  if (bySignal) {
    child.Signal(SIGTERM);
  } else if (testing::RunToEnd(options.program, {"--simulate", "-exit"}, folders.Env()).exitCode !=
             0) {
    return -1.0;
  }
  if (child.WaitForExit(std::chrono::seconds(60)) != 0) return -1.0;
  return Ms(Clock::now() - start).count();
}

// The start's busy-loop calibration (the delay-loop calibration and the 200000-pass clock
// measurement on processor 0), timed in this process on the same simulated machine.
std::vector<double> CalibrationTimes(int runs) {
  TempFolder settings;
  testing::IdentifiedMachine machine("", settings.File("settings.json"));
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    CalibrateAtStart(machine.Records(), machine.Sensors(), machine.View().processors);
    ms.push_back(Ms(Clock::now() - start).count());
  }
  return ms;
}

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const auto equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : argument.substr(equals + 1);
    if (name == "--runs" && !value.empty()) {
      options.runs = std::max(1, std::stoi(value));
    } else if (name == "--rss-seconds" && !value.empty()) {
      options.rssSeconds = std::max(0, std::stoi(value));
    } else if (name == "--program" && !value.empty()) {
      options.program = value;
    } else {
      std::fprintf(stderr,
                   "usage: bench_lifecycle [--runs=N] [--rss-seconds=S] [--program=PATH]\n");
      return false;
    }
  }
  return true;
}

int Run(const Options& options) {
  std::printf("pacetta --simulate --console (default machine), %d runs\n", options.runs);
  std::vector<double> first, byCommand, bySignal;
  for (int i = 0; i < options.runs; ++i) {
    for (bool signal : {false, true}) {
      Folders folders;
      std::unique_ptr<ChildProcess> child;
      const double started = StartToFirstStatus(options, folders, child);
      if (started < 0) {
        std::fprintf(stderr, "no status line:\n%s%s\n", child->Output().c_str(),
                     child->Errors().c_str());
        return 1;
      }
      first.push_back(started);
      const double ended = EndToGone(options, folders, *child, signal);
      if (ended < 0) {
        std::fprintf(stderr, "the instance did not end in order\n");
        return 1;
      }
      (signal ? bySignal : byCommand).push_back(ended);
    }
  }
  Report("start -> first status line", first);
  Report("calibration at start (in process)", CalibrationTimes(options.runs));
  Report("`pacetta -exit` started -> process gone", byCommand);
  Report("SIGTERM -> process gone", bySignal);

  Folders folders;
  std::unique_ptr<ChildProcess> child;
  if (StartToFirstStatus(options, folders, child) < 0) return 1;
  std::printf("resident memory at the first status line: VmRSS %s, VmHWM %s\n",
              child->StatusField("VmRSS").c_str(), child->StatusField("VmHWM").c_str());
  // The behaviour measured is "after S seconds of running": a timed wait by design.
  // Meanwhile the output is drained, so the instance never blocks on a full pipe.
  const auto until = Clock::now() + std::chrono::seconds(options.rssSeconds);
  while (Clock::now() < until)
    child->WaitForOutput("\x01", std::chrono::milliseconds(500), child->Mark());
  std::printf("resident memory after %d s: VmRSS %s, VmHWM %s\n", options.rssSeconds,
              child->StatusField("VmRSS").c_str(), child->StatusField("VmHWM").c_str());
  return EndToGone(options, folders, *child, false) < 0 ? 1 : 0;
}

}  // namespace
}  // namespace pacetta

int main(int argc, char** argv) {
  pacetta::Options options;
  if (!pacetta::Parse(argc, argv, options)) return 2;
  return pacetta::Run(options);
}
