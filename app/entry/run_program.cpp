#include "app/entry/run_program.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/console/console_front_end.h"
#include "app/console/console_message_boxes.h"
#include "app/lifecycle/close_request.h"
#include "app/lifecycle/program_flow.h"
#include "app/report/cpu_report.h"
#include "app/report/dump_command.h"
#include "platform/linux/linux_platform.h"
#include "platform/sim/simulated_pc.h"
#include "platform/termination.h"
#ifdef PACETTA_WITH_QT
#include "ui/run_desktop.h"
#endif

namespace pacetta {
namespace {

#ifdef PACETTA_WITH_QT
bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}
#endif

int RunConsole(platform::Platform& platform, const ProgramOptions& options,
               CloseRequest& closeRequest) {
  ConsoleMessageBoxes boxes(options.answer);
  ConsoleFrontEnd frontEnd;
  closeRequest.Attach([&frontEnd] { frontEnd.RequestClose(); });
  const int code = RunProgramFlow(
      platform, boxes, frontEnd, options.commandArguments, options.restartArguments,
      [&frontEnd](MainWindow& window) { frontEnd.Run(window); },
      LifecycleOptions{options.logFolder, options.updateServer});
  closeRequest.Detach();
  return code;
}

}  // namespace

int RunProgram(const ProgramOptions& options, int argc, char** argv) {
  if (options.showUsage) {
    std::fputs(kProgramUsage, stdout);
    return 0;
  }
  if (options.listMachines) {
    std::fputs(sim::DescribeCatalogue().c_str(), stdout);
    return 0;
  }
  // Before any thread exists, so that every thread leaves the signals to the watcher.
  CloseRequest closeRequest;
  auto watch = platform::WatchTermination([&closeRequest] { closeRequest.Request(); });

  std::unique_ptr<linux_os::LinuxPlatform> linuxPlatform;
  std::unique_ptr<sim::SimulatedPc> simulatedPc;
  platform::Platform* platform = nullptr;
  if (options.simulate) {
    sim::SimulationOptions simulation;
    simulation.machine = options.machine;
    simulation.faults = options.simFaults;
    simulation.os = options.simOs;
    simulation.load = options.simLoad;
    simulation.thermal = options.simThermal;
    simulation.scenario = options.simScenario;
    simulation.cpufreq = options.simCpufreq;
    simulation.trace = options.simTrace;
    simulation.actions = options.simActions;
    simulation.system32 = options.sim32Bit;
    simulation.affinity = options.simAffinity;
    std::string error;
    simulatedPc = sim::SimulatedPc::Create(simulation, error);
    if (!simulatedPc) {
      std::fprintf(stderr, "pacetta: %s\n", error.c_str());
      return 2;
    }
    for (const std::string& notice : simulatedPc->Machine().notices)
      std::fprintf(stderr, "pacetta: %s\n", notice.c_str());
    platform = &simulatedPc->View();
  } else {
    linuxPlatform = std::make_unique<linux_os::LinuxPlatform>();
    platform = &linuxPlatform->View();
  }

  if (options.cpuReport) return RunCpuReport(*platform, stdout);
  if (!options.dumpPath.empty()) return RunDumpCommand(*platform, options.dumpPath, stderr);

#ifdef PACETTA_WITH_QT
  if (!options.console && HasDisplay()) {
    return ui::RunDesktop(*platform, argc, argv, options.commandArguments, options.restartArguments,
                          closeRequest, LifecycleOptions{options.logFolder, options.updateServer});
  }
#else
  (void)argc;
  (void)argv;
#endif
  return RunConsole(*platform, options, closeRequest);
}

}  // namespace pacetta
