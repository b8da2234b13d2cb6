#include "app/lifecycle/running_program.h"

#include <algorithm>
#include <filesystem>

#include "app/lifecycle/engine_settings.h"
#include "app/lifecycle/host_requests.h"
#include "app/lifecycle/profile_command.h"
#include "app/lifecycle/status_line.h"
#include "app/settings/fixed_profile_names.h"
#include "app/strings/format_text.h"
#include "app/strings/string_ids.h"
#include "app/window_messages.h"
#include "cpu/pstate/candidate_list.h"
#include "cpu/pstate/kernel_policy.h"
#include "cpu/sensors/overheat.h"
#include "cpu/sensors/temperature.h"
#include "hw/firmware_copy.h"
#include "hw/pinning.h"

namespace pacetta {
namespace {

constexpr std::chrono::milliseconds kBalloonTime{10000};
// A suspend notice waits for the loop at most this long: the system sleeps after it.
constexpr std::chrono::milliseconds kSuspendBound{20000};

SettingsMachine MachineOf(Application& application, SensorHardware& sensors) {
  const CpuInfo& cpu0 = application.Processors().front();
  platform::Platform& platform = application.Platform();
  SettingsMachine machine{cpu0};
  machine.hasTemperatureSensor = HasTemperature(cpu0);
  machine.eistEnabled = EnhancedSpeedStepOn(cpu0, sensors, platform.processors);
  machine.runsUnderEmulation = platform.system.RunsUnderEmulation();
  machine.osMajorVersion = platform.system.Version().major;
  machine.k8MethodLoaded = [&application](uint32_t pstMethod) {
    for (CpuInfo& record : application.Processors()) ApplyK8FidTable(record, pstMethod);
  };
  return machine;
}

}  // namespace

RunningProgram::RunningProgram(Application& application, MainWindow& window, FrontEnd& frontEnd,
                               LifecycleOptions options)
    : application_(application),
      window_(window),
      frontEnd_(frontEnd),
      platform_(application.Platform()),
      options_(std::move(options)),
      sensors_{application.Driver(), platform_.cpu, application.State().entryPoints,
               application.State().northbridge.get(), &platform_.kernelCpu},
      machine_(MachineOf(application, sensors_)),
      settings_(machine_) {}

RunningProgram::~RunningProgram() {
  // A program that never shut down in order (start-up failed half-way) still stops its
  // threads before anything they use goes.
  powerNotices_.reset();
  if (manager_) manager_->Stop();
  if (sampler_) sampler_->Stop();
  if (idleHelpers_) idleHelpers_->Stop(kIdleHelperStopBound);
}

std::string RunningProgram::ProgramFolder() const {
  return std::filesystem::path(platform_.system.ProgramPath()).parent_path().string();
}

std::string RunningProgram::DefaultLogFolder() const {
  // A copy that keeps its modules apart was installed by the system, in folders the user
  // may not write; a copy in a folder of its own writes its log beside itself.
  const std::string program = ProgramFolder();
  if (platform_.system.ModuleFolder() == program) return program;
  const std::string own = platform_.system.UserStateFolder();
  return own.empty() ? program : own;
}

bool RunningProgram::Initialise() {
  // Before the pages, which offer what the modules bring; their messages come before the
  // window is shown.
  LoadAddins(application_.Addins(), application_.Strings(), application_.Boxes());
  // Custom profiles come with the events module.
  machine_.proFeaturesLoaded = application_.Addins().Available(AddinId::kVireon);
  LoadSettings();
  FollowAutostartSwitchedOff();

  std::vector<CpuInfo>& records = application_.Processors();
  // Before the engine's threads start, so the window thread's register writes meet none
  // of theirs; the start values before the abilities are worked out from them.
  advanced_ = MakeAdvancedSettings(
      {sensors_.driver, platform_.processors, records, sensors_.northbridge, &platform_.power},
      settings_);
  if (advanced_) advanced_->WriteStartValues();
  abilities_ = AbilitiesOf(records.front(), settings_.family.intel.eist != 0);
  KeepDefaultPairOffered();
  // Before the calibration's first transition: from here on only this program moves
  // the performance state.
  if (!TakeOverGovernors()) return false;
  idleHelpersStarted_ = settings_.management.runHltOnIdle != 0;
  calibration_ = CalibrateAtStart(records, sensors_, platform_.processors);
  if (advanced_ && settings_.rememberAdvanced != 0) advanced_->ApplyStored();
  if (!abilities_.performanceStates) {
    settings_.profiles.ApplyTable(PStateTable{}, records.front(), true);
  }

  StartOsPowerPolicy();
  StartBatteryMonitor();
  StartEngine();
  if (application_.State().withoutDriver) {
    frontEnd_.Notice(
        "Portex64 is not running: showing what the kernel reports to every user. "
        "The profiles cannot change the processors' states until the helper runs "
        "(see docs/portex64.md).");
  }
  NameCompetingManagers();
  if (!sampler_->Start()) {
    frontEnd_.Notice("The monitoring threads could not be created.");
    return false;
  }
  if (idleHelpersStarted_) idleHelpers_->StartAll();

  // The power-status change at start: learns the source and activates its profile, then
  // arms the start delay.
  power_ = platform_.power.Status();
  if (!manager_->Start({settings_.currentProfileAc, settings_.currentProfileDc}, AcLineStatus())) {
    frontEnd_.Notice("The management threads could not be created.");
    return false;
  }
  sampler_->SetPowerSource(Source());
  powerNotices_ = platform_.power.Subscribe(*this);

  if (settings_.logging.enableLogging != 0) {
    log_->Archive();
    LogHaltNotice(log_->Start());
    logging_ = !log_->Halted();
  }
  StartProFeatures();
  StartUpdates();
  RefreshFlags first;
  first.redrawViews = true;
  Refresh(first);
  frontEnd_.StartRefreshTimer(std::chrono::milliseconds(settings_.intervals.refreshMs));
  // The window's start ends with the tray's icons, which carry the balloon.
  frontEnd_.ProgramReady(*this);
  if (settings_.window.runMinimized != 0 && settings_.tray.showInfoBalloons != 0) {
    Notify(kStrBalloonStarted);
  }
  return true;
}

void RunningProgram::NameCompetingManagers() {
  // Said once, at start: another manager of the kernel's policies undoes what this
  // program sets there, and the user must choose which one steers.
  const auto steered = [](const CpuInfo& record) { return record.kernelPolicy >= 0; };
  const std::vector<CpuInfo>& records = application_.Processors();
  if (std::none_of(records.begin(), records.end(), steered)) return;
  for (const platform::FrequencyCompetitor& competitor : platform_.kernelCpu.Competitors()) {
    frontEnd_.Notice(competitor.name +
                     " also sets the processors' frequency limits and will undo the profiles' "
                     "choices. " +
                     competitor.advice);
  }
}

bool RunningProgram::TakeOverGovernors() {
  governors_.RestoreLeftover();
  // Without performance-state control or the helper the registers stay as they are.
  if (!abilities_.performanceStates || application_.State().withoutDriver) return true;
  std::vector<uint32_t> registerSteered;
  for (const CpuInfo& record : application_.Processors()) {
    if (record.kernelPolicy < 0) registerSteered.push_back(record.index);
  }
  const auto refusal = governors_.TakeOver(registerSteered);
  if (!refusal) return true;
  // Steering against a governor would have the two undo each other's choice at every
  // tick; the user must choose.
  const uint32_t text = refusal->noUserspace ? kStrGovernorNoUserspace : kStrGovernorRefused;
  frontEnd_.Notice(FormatText(application_.Strings().Get(text),
                              {refusal->driver, refusal->policy, refusal->governor}));
  return false;
}

void RunningProgram::LoadSettings() {
  // The firmware copy is read once, before the load needs the list for a fresh install.
  defaultList_ =
      BuildDefaultList(application_.Processors().front(), CopyFirmwareArea(application_.Driver()));
  machine_.defaultList = &defaultList_;
  const auto names = FixedProfileNames(application_.Strings());
  const SettingsLoadReport report = settings_.Load(platform_.registry, machine_, names);
  if (report.damageNotice) frontEnd_.Notice(*report.damageNotice);
  if (settings_.management.overheatAlert != 0) ClearStaleOverheat();
}

void RunningProgram::StartOsPowerPolicy() {
  manageOsPower_ = settings_.management.manageOsPowerSettings != 0;
  power::OsPowerPolicy& os = application_.OsPower();
  // A failure leaves the program without the OS scheme feature; nothing else depends on it.
  os.EnumerateSchemes(manageOsPower_);
  if (!manageOsPower_) return;
  for (int32_t i = 0; i < settings_.profiles.Count(); ++i) {
    if (Profile* profile = settings_.profiles.At(i)) os.CaptureWhereMissing(*profile);
  }
}

void RunningProgram::ActivateOsScheme(int32_t index) {
  if (!manageOsPower_) return;
  if (const Profile* profile = settings_.profiles.At(index)) {
    application_.OsPower().ActivateProfile(*profile);
  }
}

void RunningProgram::ClearStaleOverheat() {
  // Reading the status acknowledges a thermal event logged before the program ran, so
  // that only heat from now on raises the alert.
  for (const CpuInfo& record : application_.Processors()) {
    PinToProcessor(platform_.processors, record.index);
    ReadOverheat(record, sensors_);
  }
  UnpinThread(platform_.processors);
}

void RunningProgram::StartEngine() {
  std::vector<CpuInfo>& records = application_.Processors();
  idleHelpers_ = std::make_unique<IdleHelpers>(platform_.processes,
                                               IdleHelperPath(platform_.system.ModuleFolder()),
                                               static_cast<unsigned>(records.size()));
  log_ = std::make_unique<MonitoringLog>(
      platform_.logFiles, platform_.localClock,
      options_.logFolder.empty() ? DefaultLogFolder() : options_.logFolder);

  const StringTable& strings = application_.Strings();
  SamplerContext context{records,
                         sensors_,
                         platform_.processors,
                         *application_.State().runningEvent,
                         [&strings](uint32_t id) { return strings.Get(id); },
                         *this,
                         idleHelpers_.get()};
  sampler_ = std::make_unique<Sampler>(context, SamplerSettingsNow(), calibration_);
  loads_ = std::make_unique<management::SamplerLoadSource>(*sampler_);

  management::ManagementHooks hooks;
  hooks.infoBalloon = [this](uint32_t title, uint32_t text) {
    ShowBalloon(title, text, BalloonKind::kInformation);
  };
  hooks.notification = [this](uint32_t event) { Notify(event); };
  hooks.lastClockMhz = [this](unsigned k) { return sampler_->LastClockMhz(k); };
  hooks.profileActivated = [this](int32_t index) { ActivateOsScheme(index); };
  manager_ = std::make_unique<management::PerformanceManager>(
      records, settings_.profiles, *loads_,
      management::ManagementHardware{sensors_, platform_.processors, &platform_.priorities},
      *application_.State().runningEvent, ManagementSettingsOf(settings_, calibration_), hooks);
}

void RunningProgram::OnRefreshTimer() {
  if (!shutDown_ && battery_) battery_->Tick();
  // The events first, so that the refresh shows their new states and what their actions
  // changed.
  EvaluateEvents();
  Refresh({});
  // A program that runs for weeks checks for updates as often as one started daily would.
  if (updates_ && !shutDown_) updates_->CheckWhenDue();
  // A management thread that was refused real-time scheduling says so once.
  if (auto notice = platform_.priorities.TakeNotice()) frontEnd_.Notice(*notice);
}

void RunningProgram::Refresh(RefreshFlags flags) {
  if (shutDown_ || !sampler_) return;
  sampler_->Refresh(flags, platform_.system.TickCount());
}

void RunningProgram::ShowWarningBalloon(const Balloon& balloon) {
  frontEnd_.ShowBalloon(balloon.title, balloon.text, BalloonKind::kWarning,
                        std::chrono::milliseconds(balloon.timeoutMs));
}

void RunningProgram::WriteLogRecord() {
  if (!logging_) return;
  std::vector<CpuSample> samples;
  for (uint32_t k = 0; k < sampler_->ProcessorCount(); ++k) samples.push_back(sampler_->Sample(k));
  LogHaltNotice(log_->WriteRecords(samples, LogOptionsOf(settings_)));
  if (log_->Halted()) logging_ = false;
}

void RunningProgram::SuperviseIdleHelpers() {
  const std::vector<unsigned> restarted = idleHelpers_->Supervise();
  if (settings_.tray.showCriticalBalloons == 0) return;
  const StringTable& strings = application_.Strings();
  for (size_t i = 0; i < restarted.size(); ++i) {
    frontEnd_.ShowBalloon(strings.Get(kStrProductName),
                          FormatText(strings.Get(kStrHelperRestarting), {kIdleHelperProgram}),
                          BalloonKind::kError, kBalloonTime);
  }
}

void RunningProgram::UpdateViews(bool /*redraw*/) {
  // Outside a refresh the display processor has moved on: the line names the processor
  // whose values the texts hold.
  const uint32_t display = sampler_->ShownProcessor();
  const StringTable& strings = application_.Strings();
  FeedMonitoring();
  frontEnd_.ShowStatus(FormatStatusLine(
      display, sampler_->Texts(), sampler_->Sample(display), Source(),
      ProfileName(manager_->CurrentIndex()), [&strings](uint32_t id) { return strings.Get(id); },
      battery_ ? battery_->ChargeAndTime() : std::string()));
}

std::string RunningProgram::ProfileName(int32_t index) const {
  const Profile* profile = settings_.profiles.At(index);
  return profile ? NameOf(*profile) : std::string();
}

void RunningProgram::OnPosted(const platform::WindowMessage& message) {
  if (shutDown_) return;
  switch (message.message) {
    case kMsgSetProfile:
      SetProfile(message.wParam, message.lParam);
      break;
    case kMsgShow: {
      RefreshFlags flags;
      flags.redrawViews = true;
      Refresh(flags);
      break;
    }
    case kMsgResume:
      // For the battery and professional-features pages; the engine itself does not
      // start again.
      frontEnd_.Notice("Resume notice received.");
      break;
    default:
      break;
  }
}

int64_t RunningProgram::OnSent(const platform::WindowMessage& message) {
  if (shutDown_) return 0;
  if (message.message == kMsgSetProfile) return SetProfile(message.wParam, message.lParam) ? 1 : 0;
  HostState state;
  state.selection = manager_->Selection();
  state.onBattery = manager_->PowerSource() == 1;
  state.power = power_;
  state.meanTemperature = sampler_->Means().temperature;
  state.powerEvent = powerEvent_;
  const std::optional<int64_t> answer = AnswerHostRequest(message, state);
  powerEvent_ = state.powerEvent;
  return answer.value_or(0);
}

bool RunningProgram::SetProfile(uint32_t wParam, int32_t lParam) {
  const bool onBattery = manager_->PowerSource() == 1;
  const std::optional<ProfileSelection> selection = SetProfileCommand(
      manager_->Selection(), wParam, lParam, settings_.profiles.Count(), onBattery);
  if (!selection) return false;
  manager_->Select(*selection);
  if (!frontEnd_.WindowVisible()) InfoBalloon(kStrBalloonProfileChanged);
  UpdateViews(false);
  return true;
}

bool RunningProgram::DeleteProfile(int32_t index) {
  if (shutDown_ || !manager_) return false;
  const bool deleted =
      manager_->DeleteProfile(index, [this, index] { settings_.ForgetDeletedProfile(index); });
  if (deleted) {
    if (proFeatures_) proFeatures_->ProfileDeleted(index);
    UpdateViews(false);
  }
  return deleted;
}

PowerSource RunningProgram::Source() const {
  return manager_->PowerSource() == 1 ? PowerSource::kBattery : PowerSource::kAc;
}

int32_t RunningProgram::AcLineStatus() {
  // An unreadable status keeps the last one known.
  if (auto status = platform_.power.Status()) power_ = status;
  return power_ ? power_->acLine : platform::kAcUnknown;
}

void RunningProgram::OnPowerNotice(platform::PowerNotice notice) {
  switch (notice) {
    case platform::PowerNotice::kStatusChanged:
      window_.Post([this] { PowerStatusChange(); });
      break;
    case platform::PowerNotice::kSuspending:
      // The system sleeps once this returns: the processors must be where the suspend
      // action wants them first.
      window_.RunOnLoop([this] { Suspend(); }, kSuspendBound);
      break;
    case platform::PowerNotice::kResumed:
      window_.Post([this] { Resume(); });
      break;
  }
}

void RunningProgram::PowerStatusChange() {
  if (shutDown_) return;
  // The views below show the battery's charge of the new source.
  if (battery_) battery_->ReadStatus();
  if (manager_->OnPowerStatusChange(AcLineStatus(), false)) {
    if (advanced_) advanced_->Reapply();
    sampler_->SetPowerSource(Source());
    UpdateViews(false);
  }
}

void RunningProgram::Suspend() {
  if (shutDown_) return;
  powerEvent_ = kPowerEventSuspend;
  // Before the system sleeps: the actions on the coming standby run now.
  EvaluateEvents();
  if (frontEnd_.WindowVisible()) frontEnd_.HideWindow();
  manager_->OnSuspend();
}

void RunningProgram::Resume() {
  if (shutDown_) return;
  powerEvent_ = kPowerEventResume;
  UnpinThread(platform_.processors);
  manager_->OnResume(AcLineStatus());
  if (advanced_) {
    advanced_->WriteStartValues();
    advanced_->Reapply();
  }
  sampler_->SetPowerSource(Source());
  if (!frontEnd_.WindowVisible()) InfoBalloon(kStrBalloonResumed);
  EvaluateEvents();
}

void RunningProgram::InfoBalloon(uint32_t event) {
  if (settings_.tray.showInfoBalloons != 0) Notify(event);
}

void RunningProgram::Notify(uint32_t event) {
  // The short form: the processor's names that the long form adds are not known here.
  const StringTable& strings = application_.Strings();
  const std::string source =
      strings.Get(Source() == PowerSource::kBattery ? kStrBattery : kStrAcPower);
  const std::string text = FormatText(strings.Get(kStrBalloonShortInfo),
                                      {ProfileName(manager_->CurrentIndex()), source});
  frontEnd_.ShowBalloon(strings.Get(kStrProductName) + " " + strings.Get(event), text,
                        BalloonKind::kInformation, kBalloonTime);
}

void RunningProgram::ShowBalloon(uint32_t title, uint32_t text, BalloonKind kind) {
  const StringTable& strings = application_.Strings();
  frontEnd_.ShowBalloon(strings.Get(title), strings.Get(text), kind, kBalloonTime);
}

void RunningProgram::LogHaltNotice(const std::optional<LogHalted>& halted) {
  if (!halted) return;
  const char* why = halted->fault == platform::FileFault::kNoSpace ? "the disk is full"
                                                                   : "the folder cannot be written";
  frontEnd_.Notice("Logging stopped: " + std::string(why) + " (" + halted->path + ").");
}

void RunningProgram::Shutdown() {
  if (shutDown_) return;
  // First: a running update operation ends (its messages answered) before anything goes.
  EndUpdates();
  EndProFeatures();
  shutDown_ = true;
  const bool balloons = settings_.tray.showInfoBalloons != 0;

  if (frontEnd_.WindowVisible()) frontEnd_.HideWindow();
  if (logging_) LogHaltNotice(log_->Stop());

  frontEnd_.StopRefreshTimer();
  powerNotices_.reset();
  if (battery_) battery_->StopListening();

  if (manager_) {
    const ProfileHalf* half = manager_->CurrentHalf();
    if (settings_.management.defaultsOnExit != 0 && half && IsManaged(*half)) {
      if (balloons) Notify(kStrRestoringDefaults);
      manager_->RestoreDefaultsOnExit();
      if (balloons) platform_.system.Sleep(std::chrono::milliseconds(200));
    }
    // Sets the stop signal and releases every thread, also those still held by the start
    // delay or a system suspend, before it waits for them.
    manager_->Stop();
  }
  // The kernel's policies get their limits of the start back, whatever the settings say:
  // they belong to the system, not to this program.
  for (CpuInfo& record : application_.Processors()) {
    if (record.kernelPolicy >= 0) RestoreKernelPolicy(record, platform_.kernelCpu);
  }
  // The kernel's governors take the processors back once no thread of ours writes them.
  governors_.Restore();
  if (sampler_) sampler_->Stop();
  if (idleHelpers_ && idleHelpersStarted_) {
    const IdleHelpersStopped stopped = idleHelpers_->Stop(kIdleHelperStopBound);
    if (stopped.killed != 0) {
      frontEnd_.Notice(std::to_string(stopped.killed) +
                       " idle helper(s) ignored the stop signal and were ended.");
    }
  }
  // The system's scheme of the start is back before the settings go.
  application_.OsPower().RestoreAtExit(manageOsPower_);
  if (balloons) Notify(kStrSavingSettings);
  // The window and its pages hand over their state, saved with the rest.
  frontEnd_.ProgramEnding();
  SaveAutostart();
  settings_.Save(platform_.registry, {application_.Processors().front(), abilities_.Any()});
  if (balloons) platform_.system.Sleep(std::chrono::milliseconds(400));
}

}  // namespace pacetta
