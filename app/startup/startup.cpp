#include "app/startup/startup.h"

#include <algorithm>
#include <new>

#include "app/startup/hand_over.h"
#include "app/strings/format_text.h"
#include "app/strings/installed_languages.h"
#include "app/strings/string_ids.h"
#include "cpu/advanced/longrun/longrun_table.h"
#include "cpu/identify/identify_processor.h"
#include "cpu/pstate/kernel_policy.h"
#include "cpu/sensors/sensor_completion.h"
#include "hw/hardware_switches.h"
#include "hw/pinning.h"
#include "hw/topology.h"

namespace pacetta {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

class Startup {
 public:
  Startup(StartupServices& services, const Command& command)
      : s_(services), platform_(services.platform), command_(command) {}

  StartupResult Run();

 private:
  StartupResult Exit(int code) {
    StartupResult result;
    result.outcome = StartupOutcome::kExit;
    result.exitCode = code;
    return result;
  }
  void Error(uint32_t textId, const std::string& text = {}) {
    s_.boxes.Show(text.empty() ? s_.strings.Get(textId) : text, s_.strings.Get(kStrErrorCaption),
                  MessageIcon::kError, MessageButtons::kOk);
  }
  std::string DriverText(uint32_t textId) {
    const std::string name = s_.driver.GetServiceName();
    return FormatText(s_.strings.Get(textId), {name, name});
  }

  bool CheckSystem();
  void ChooseLanguage();
  std::optional<StartupResult> OneShotCommands();
  // False when the user declined; `missing` when there is no driver to open.
  bool OpenDriver(bool& missing);
  bool BuildProcessors(StartupState& state);
  bool RunWithoutDriver(StartupState& state);

  StartupServices& s_;
  platform::Platform& platform_;
  const Command& command_;
  std::unique_ptr<platform::RegistryKey> settings_;
  StartupState state_;
};

bool Startup::CheckSystem() {
  const platform::OsVersion version = platform_.system.Version();
  if (version.platformId != platform::kPlatformNt || version.major < 5) {
    Error(kStrOsTooOld);
    return false;
  }
  state_.isNt = true;
  state_.isVersion6OrLater = version.major >= 6;
  if (!AllProcessorsAvailable(platform_.processors)) {
    Error(kStrProcessorsUnavailable);
    return false;
  }
  return true;
}

void Startup::ChooseLanguage() {
  const std::string program = platform_.system.ProgramPath();
  const std::string folder = program.substr(0, program.rfind('/'));
  platform_.system.SetCurrentDirectory(folder);
  settings_ = platform_.registry.OpenUserKey(kSettingsKeyPath, false);
  // Nothing stored means the user's default, the desktop's language, as the settings'
  // own default does; a stored choice, "Application default" (0) too, wins over it.
  uint32_t stored = kLanguageUserDefault;
  if (settings_) stored = settings_->ReadDword("ResourceLocaleId").value_or(stored);
  const uint32_t wanted = ResolveLanguageId(stored, platform_.system);
  // A missing module keeps the built-in English texts, silently.
  const std::string modules = platform_.system.ModuleFolder();
  const uint32_t module = ModuleLocaleFor(platform_.system, modules, wanted);
  if (module != 0) s_.strings.LoadLanguageModule(platform_.system, modules, module);
}

std::optional<StartupResult> Startup::OneShotCommands() {
  if (command_.kind == CommandKind::kHelp) {
    const std::string text = FormatText(
        s_.strings.Get(kStrHelp),
        {"Pacetta", s_.strings.Get(kStrProfileNoManagement), s_.strings.Get(kStrProfilePowerSaving),
         s_.strings.Get(kStrProfileMaxPerformance), s_.strings.Get(kStrProfileOnDemand),
         s_.driver.GetServiceName()});
    s_.boxes.Show(text, s_.strings.Get(kStrProductName), MessageIcon::kInformation,
                  MessageButtons::kOk);
    return Exit(0);
  }
  if (command_.kind == CommandKind::kUnload) {
    const bool removed = s_.driver.Close(true) == 0;
    s_.boxes.Show(DriverText(removed ? kStrDriverUninstalled : kStrDriverUninstallFailed),
                  s_.strings.Get(kStrProductName),
                  removed ? MessageIcon::kInformation : MessageIcon::kError, MessageButtons::kOk);
    return Exit(removed ? 0 : 1);
  }
  return std::nullopt;
}

bool Startup::OpenDriver(bool& missing) {
  missing = false;
  for (;;) {
    if (s_.driver.Open(0) < 0) {
      missing = true;  // the caller decides once the processors are known
      return true;
    }
    s_.driver.SetUnloadPolicy(0);
    if (s_.driver.IsExpectedVersion()) return true;
    const std::string name = s_.driver.GetServiceName();
    const std::string text =
        FormatText(s_.strings.Get(kStrDriverVersionMismatch),
                   {name, driver::kExpectedMajor, driver::kExpectedMinor, name});
    switch (s_.boxes.Show(text, s_.strings.Get(kStrWarningCaption), MessageIcon::kExclamation,
                          MessageButtons::kYesNoCancel)) {
      case MessageAnswer::kNo:
        return true;  // the user chose to go on with the installed driver
      case MessageAnswer::kYes:
        s_.driver.Close(true);
        continue;  // install ours and check again
      default:
        return false;
    }
  }
}

bool Startup::RunWithoutDriver(StartupState& state) {
  // The older families need their registers for everything; today's processors are
  // measured well enough through the kernel without them.
  const auto todays = [](const CpuInfo& cpu) { return IsTodaysProcessor(cpu); };
  if (state.processors.empty() ||
      !std::all_of(state.processors.begin(), state.processors.end(), todays)) {
    return false;
  }
  // Steering the kernel's policy needs the helper too: no performance states then.
  for (CpuInfo& cpu : state.processors) ForgetKernelPolicy(cpu);
  state.withoutDriver = true;
  return true;
}

bool Startup::BuildProcessors(StartupState& state) {
  if (settings_) state.switches = ReadHardwareSwitches(*settings_);
  const std::vector<uint8_t> offsets =
      settings_ ? ReadTempOffsets(*settings_) : std::vector<uint8_t>{};
  settings_.reset();
  const unsigned count = UsableProcessorCount(platform_.processors);
  try {
    state.processors.resize(count);
  } catch (const std::bad_alloc&) {
    Error(kStrInitFailed);
    return false;
  }
  AssignTopology(platform_, state.processors);
  PStateHardware hardware{s_.driver, platform_.processors, longrun::RangeSource(s_.driver)};
  state.northbridge = std::make_unique<CK8Northbridge>(s_.driver);
  SensorHardware sensors{s_.driver, platform_.cpu, state.entryPoints, state.northbridge.get(),
                         &platform_.kernelCpu};
  ReadingsCompletion completion(hardware, sensors);
  IdentifyContext identify{platform_.processors, platform_.cpu, s_.driver, &completion};
  for (unsigned k = 0; k < count; ++k) {
    CpuInfo& cpu = state.processors[k];
    cpu.switches = state.switches;
    cpu.tempOffset = TempOffsetFor(offsets, k);
    IdentifyProcessor(cpu, identify);
  }
  UnpinThread(platform_.processors);
  return true;
}

StartupResult Startup::Run() {
  if (!CheckSystem()) return Exit(1);
  ChooseLanguage();
  if (auto done = OneShotCommands()) return std::move(*done);

  bool existed = false;
  state_.runningEvent = platform_.events.Create(kRunningEventName, existed);
  if (!state_.runningEvent) return Exit(1);  // silently, as the system gave no event
  if (existed) {
    state_.runningEvent.reset();
    platform_.system.Sleep(std::chrono::milliseconds(100));
    if (HandOverToRunningInstance(platform_.windows, s_.strings.Get(kStrProductName), command_)) {
      return Exit(0);
    }
    Error(kStrAlreadyRunning);
    return Exit(1);
  }

  state_.entryPoints.Resolve(platform_.entryPoints, platform_.system);
  bool emulated = false;
  state_.is64BitSystem = state_.entryPoints.CallIsWow64Process(emulated) && emulated;
  bool driverMissing = false;
  if (!OpenDriver(driverMissing)) return Exit(1);
  if (!BuildProcessors(state_)) return Exit(1);
  if (driverMissing && !RunWithoutDriver(state_)) {
    Error(kStrDriverLoadFailed, DriverText(kStrDriverLoadFailed));
    return Exit(1);
  }

  StartupResult result;
  result.outcome = StartupOutcome::kRun;
  result.exitCode = 0;
  result.state = std::move(state_);
  return result;
}

}  // namespace

StartupResult RunStartup(StartupServices& services, const Command& command) {
  return Startup(services, command).Run();
}

}  // namespace pacetta
