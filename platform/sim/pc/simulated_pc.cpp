#include "platform/sim/simulated_pc.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/linux/file_registry.h"
#include "platform/linux/ftp/linux_ftp_client.h"
#include "platform/linux/linux_log_files.h"
#include "platform/linux/linux_processes.h"
#include "platform/linux/linux_processors.h"
#include "platform/linux/lock_file_events.h"
#include "platform/linux/runtime_paths.h"
#include "platform/linux/socket_windows.h"
#include "platform/linux/update_files.h"
#include "platform/sim/autostart/recording_autostart.h"
#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/driver/register_trace.h"
#include "platform/sim/driver/sim_driver.h"
#include "platform/sim/driver/trace_file.h"
#include "platform/sim/kernel/device_kernel_cpu.h"
#include "platform/sim/kernel/sim_kernel_cpu.h"
#include "platform/sim/machine/machine_file.h"
#include "platform/sim/models/attach_models.h"
#include "platform/sim/pc/sim_cpu_instructions.h"
#include "platform/sim/pc/sim_local_clock.h"
#include "platform/sim/pc/sim_os_entry_points.h"
#include "platform/sim/pc/sim_priorities.h"
#include "platform/sim/pc/sim_processes.h"
#include "platform/sim/pc/sim_processors.h"
#include "platform/sim/pc/sim_system.h"
#include "platform/sim/scenario/scenario.h"
#include "platform/sim/scenario/scenario_player.h"
#include "platform/sim/session/sim_user_session.h"
#include "platform/sim/workload/workload.h"

namespace pacetta::sim {
namespace {

std::string FileNamePart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<platform::OsVersion> ParseOs(const std::string& text) {
  unsigned major = 0, minor = 0;
  char tail[8] = {};
  const int fields = std::sscanf(text.c_str(), "%u.%u%7s", &major, &minor, tail);
  if (fields < 2) return std::nullopt;
  const std::string rest = fields == 3 ? tail : "";
  if (!rest.empty() && rest != "-9x") return std::nullopt;
  return platform::OsVersion{major, minor, 0,
                             rest == "-9x" ? platform::kPlatformWin9x : platform::kPlatformNt};
}

class SimulatedMachine final : public SimulatedPc {
 public:
  SimulatedMachine(MachineSpec machine, SimFaults faults, const SimulationOptions& options,
                   const WorkloadOptions& workload, std::vector<ScenarioStep> scenario,
                   std::unique_ptr<TraceFile> traceFile, std::unique_ptr<TraceFile> actionsFile,
                   SimCpufreqDriver cpufreq)
      : clock_(options.clock ? options.clock : std::make_shared<HostClock>()),
        startNs_(clock_->NowNs()),
        machine_(std::move(machine)),
        processors_(machine_),
        cpu_(machine_, processors_),
        system_(machine_, SystemOptions(faults)),
        driver_(machine_, std::make_unique<FileServiceStore>(StateFolder(options)), DriverHost(),
                faults, Trace(std::move(traceFile))),
        models_(AttachProcessorModels(machine_, driver_.Hardware(), ClockFunction())),
        workload_(machine_, driver_.Hardware(), models_, clock_, workload),
        kernelCpu_(
            machine_, models_, [this](unsigned k) { return workload_.Truth(k); },
            WithStateFile(std::move(cpufreq), options)),
        programKernelCpu_(kernelCpu_, driver_.DeviceIo(),
                          machine_.system64 ? "\\\\.\\Portex64" : "\\\\.\\Portex32",
                          StateFolder(options) + "/cpufreq-taken"),
        registry_(options.settingsPath.empty()
                      ? linux_os::FileRegistry::DefaultPath(
                            "simulated/" + linux_os::FileNameOf(machine_.name) + ".json")
                      : options.settingsPath),
        osPower_(OsPowerOptions(options, faults)),
        session_(clock_, startNs_, power_, PowerRequestLog(std::move(actionsFile))),
        view_{cpu_,
              processors_,
              driver_.ServiceControl(),
              driver_.DeviceIo(),
              registry_,
              events_,
              windows_,
              system_,
              entryPoints_,
              power_,
              priorities_,
              logFiles_,
              wallClock_,
              processes_,
              programKernelCpu_,
              autostart_,
              power_,
              &osPower_,
              &session_} {
    view_.ftp = &ftp_;
    view_.updateFiles = &updateFiles_;
    driver_.Hardware().SetKernelCpu(&kernelCpu_);
    cpu_.AttachHardware(driver_.Hardware());
    cpu_.AttachWorkload(workload_);
    cpu_.AttachModels(models_);
    // The 32-bit busy-delay routine spins like the in-thread loop of a 64-bit system.
    driver_.Hardware().SetBusyDelay([this](uint32_t iterations) { cpu_.SpinDelay(iterations); });
    entryPoints_.SetClock(ClockFunction());
    entryPoints_.SetTimesSource(
        [this](std::span<platform::ProcessorTimes> times) { workload_.ProcessorTimes(times); });
    // The batteries drain with the processors' mean busy share.
    power_.AttachMachine(ClockFunction(), [this] {
      const size_t count = machine_.processors.size();
      double busy = 0;
      for (size_t k = 0; k < count; ++k) {
        if (const auto truth = workload_.Truth(static_cast<unsigned>(k))) busy += truth->busy;
      }
      return count ? busy / static_cast<double>(count) : 0.0;
    });
    // The scenario's times count from the machine's start.
    if (!scenario.empty()) {
      player_ = std::make_unique<ScenarioPlayer>(
          std::move(scenario), ScenarioTargets{power_, session_, wallClock_}, clock_, startNs_);
      player_->Start();
    }
  }

  ~SimulatedMachine() override { driver_.Hardware().SetKernelCpu(nullptr); }

  platform::Platform& View() override { return view_; }
  const MachineSpec& Machine() const override { return machine_; }
  std::vector<Violation> Violations() override { return driver_.Hardware().Violations().Entries(); }
  std::optional<ModelState> ProcessorState(unsigned k) const override { return models_.State(k); }
  std::optional<ProcessorTruth> Activity(unsigned k) override { return workload_.Truth(k); }
  SimPower& PowerSupply() override { return power_; }
  SimPriorities& Priorities() override { return priorities_; }
  SimOsPower& OsPowerPolicy() override { return osPower_; }
  SimUserSession& Session() override { return session_; }
  SimLocalClock& WallClock() override { return wallClock_; }
  platform::KernelCpu& KernelCpu() override { return kernelCpu_; }
  void StartFrequencyCompetitor(platform::FrequencyCompetitor competitor) override {
    kernelCpu_.StartCompetitor(std::move(competitor));
  }

 private:
  std::string StateFolder(const SimulationOptions& options) const {
    if (!options.stateFolder.empty()) return options.stateFolder;
    const std::string user = linux_os::UserRuntimeFolder();
    // Without a private folder the machine's state stays in a fresh one of this run.
    if (user.empty()) return linux_os::FreshPrivateFolder("/tmp/pacetta-sim");
    return user + "/sim-" + linux_os::FileNameOf(machine_.name);
  }

  // The simulated kernel's governors outlive the program, as the real kernel's do.
  SimCpufreqDriver WithStateFile(SimCpufreqDriver cpufreq, const SimulationOptions& options) const {
    if (!cpufreq.governor.empty()) cpufreq.stateFile = StateFolder(options) + "/cpufreq-governors";
    return cpufreq;
  }

  SimOsPowerOptions OsPowerOptions(const SimulationOptions& options,
                                   const SimFaults& faults) const {
    SimOsPowerOptions power;
    power.osMajorVersion = machine_.os.major;
    // The catalogue's portables carry a panel; a machine file says nothing of one.
    power.panel = machine_.description.starts_with("Laptop") ||
                  machine_.description.starts_with("Ultraportable");
    power.stateFile = StateFolder(options) + "/os-power.json";
    power.faults = faults.failingPowerCalls;
    return power;
  }

  SimSystemOptions SystemOptions(const SimFaults& faults) const {
    SimSystemOptions options;
    const std::string driverName = machine_.system64 ? "Portex64" : "Portex32";
    // The driver file exists on the simulated machine beside the program, unless a
    // failure hides it.
    options.simulatedFile = [faults, driverName](const std::string& path) -> std::optional<bool> {
      const std::string name = FileNamePart(path);
      if (name != driverName && name != driverName + ".sys") return std::nullopt;
      return !faults.HidesFile(path);
    };
    return options;
  }

  std::function<uint64_t()> ClockFunction() const {
    return [clock = clock_] { return clock->NowNs(); };
  }

  SimDriverHost DriverHost() {
    SimDriverHost host;
    host.processId = static_cast<int>(getpid());
    host.processAlive = [](int pid) { return kill(pid, 0) == 0 || errno == EPERM; };
    host.fileExists = [this](const std::string& path) { return system_.FileExists(path); };
    host.currentProcessor = [this] { return processors_.CurrentProcessor(); };
    host.clockNs = ClockFunction();
    host.readTsc = [this] { return cpu_.ReadTimeStampCounter(); };
    return host;
  }

  std::shared_ptr<RegisterTrace> Trace(std::unique_ptr<TraceFile> file) const {
    if (!file) return nullptr;
    return std::make_shared<RegisterTrace>(std::move(file), ClockFunction(), stderr);
  }

  std::shared_ptr<SimClock> clock_;
  // The machine's start on clock_: scenario, idle and request times count from it.
  const uint64_t startNs_;
  MachineSpec machine_;
  SimProcessors processors_;
  SimCpuInstructions cpu_;
  SimSystem system_;
  SimOsEntryPoints entryPoints_{machine_};
  SimDriver driver_;
  // The family register models inside the driver's banks.
  ProcessorModels models_;
  // The processors' counters, load and heat, behind the models.
  Workload workload_;
  // The kernel's frequency driver, steering the models; the device's requests reach it.
  SimKernelCpu kernelCpu_;
  // The program's view of it: its writes go through the driver's device, as on Linux.
  DeviceKernelCpu programKernelCpu_;
  linux_os::FileRegistry registry_;
  SimOsPower osPower_;
  linux_os::LockFileEvents events_;
  linux_os::SocketWindows windows_;
  SimPower power_;
  SimPriorities priorities_;
  linux_os::LinuxLogFiles logFiles_;
  SimLocalClock wallClock_{clock_};
  linux_os::LinuxProcesses hostProcesses_;
  // The idle helpers really run, on the host processors that stand for the simulated ones.
  SimProcesses processes_{hostProcesses_, linux_os::LinuxProcessors().ProcessAffinityMask()};
  // Start at logon of a simulated machine is kept in memory: the host's desktop is not
  // the simulated one's.
  RecordingAutostart autostart_;
  // Sleeps and wakes power_, so it ends before it.
  SimUserSession session_;
  // Updates come from a real server into the real program folder: the simulated machine
  // is the host's, as far as files and the network go.
  linux_os::LinuxFtpClient ftp_;
  linux_os::LinuxUpdateFiles updateFiles_;
  platform::Platform view_;
  // Plays on power_, session_ and wallClock_, so it ends first.
  std::unique_ptr<ScenarioPlayer> player_;
};

}  // namespace

std::unique_ptr<SimulatedPc> SimulatedPc::Create(const SimulationOptions& options,
                                                 std::string& error) {
  auto loaded = LoadMachine(options.machine);
  if (!loaded.ok()) {
    error = loaded.error().ToString();
    return nullptr;
  }
  return FromMachine(std::move(loaded).value(), options, error);
}

std::unique_ptr<SimulatedPc> SimulatedPc::FromMachine(MachineSpec spec,
                                                      const SimulationOptions& options,
                                                      std::string& error) {
  std::optional<MachineSpec> machine = std::move(spec);
  const std::string name = machine->name;
  if (machine->processors.empty()) {
    error = name + ": the machine has no processor";
    return nullptr;
  }
  const SimFaultsParse faults = ParseSimFaults(options.faults);
  if (!faults.faults) {
    error = faults.error;
    return nullptr;
  }
  if (!options.os.empty()) {
    auto os = ParseOs(options.os);
    if (!os) {
      error = "bad operating-system version: " + options.os + " (MAJOR.MINOR or MAJOR.MINOR-9x)";
      return nullptr;
    }
    machine->os = *os;
  }
  if (options.system32) machine->system64 = !*options.system32;
  if (options.affinity) machine->processAffinityMask = *options.affinity;
  const auto workload = ParseWorkloadOptions(options.load, options.thermal, error);
  if (!workload) return nullptr;
  std::vector<ScenarioStep> scenario;
  if (!options.scenario.empty()) {
    auto loaded = LoadScenario(options.scenario);
    if (!loaded.steps) {
      error = loaded.error;
      return nullptr;
    }
    scenario = std::move(*loaded.steps);
  }
  SimCpufreqDriver cpufreq;
  if (!options.cpufreq.empty()) {
    auto parsed = ParseSimCpufreq(options.cpufreq);
    if (!parsed) {
      error = "bad frequency driver: " + options.cpufreq +
              " (GOVERNOR or GOVERNOR:OFFERED,... with GOVERNOR among OFFERED)";
      return nullptr;
    }
    cpufreq = std::move(*parsed);
  }
  // The records are opened last, so that a start refused for another reason leaves
  // earlier ones alone.
  std::unique_ptr<TraceFile> actionsFile;
  if (!options.actions.empty()) {
    actionsFile = TraceFile::Open(options.actions, error, "power request record");
    if (!actionsFile) return nullptr;
  }
  std::unique_ptr<TraceFile> traceFile;
  if (!options.trace.empty()) {
    traceFile = TraceFile::Open(options.trace, error);
    if (!traceFile) return nullptr;
  }
  return std::make_unique<SimulatedMachine>(std::move(*machine), *faults.faults, options, *workload,
                                            std::move(scenario), std::move(traceFile),
                                            std::move(actionsFile), std::move(cpufreq));
}

std::string DescribeCatalogue() {
  std::string text;
  for (const auto& entry : Catalogue()) {
    text += entry.name;
    text.append(entry.name.size() < 20 ? 20 - entry.name.size() : 1, ' ');
    text += entry.description;
    if (entry.name == kDefaultCatalogueMachine) text += " (default)";
    text += "\n";
  }
  return text;
}

}  // namespace pacetta::sim
