// The running program as the desktop's pages see it: what they show, and the operations
// their buttons ask, each in the order the engine needs while its threads run.
#include <algorithm>

#include "app/desktop/profile_edits.h"
#include "app/desktop/profile_os.h"
#include "app/desktop/pstate_steps.h"
#include "app/lifecycle/engine_settings.h"
#include "app/lifecycle/host_requests.h"
#include "app/lifecycle/running_program.h"
#include "app/window_messages.h"

namespace pacetta {
namespace {

constexpr int32_t kLowestTargetLoad = 15;
constexpr int32_t kHighestTargetLoad = 85;
constexpr int32_t kShortestIntervalMs = 100;
constexpr int32_t kLongestIntervalMs = 10000;
constexpr int32_t kLastCpuLoadMethod = 5;
constexpr int32_t kLastSuspendAction = 2;
constexpr int32_t kLastDefaultsMode = 2;

int32_t Flag(int32_t value) {
  return value != 0 ? 1 : 0;
}

// The CPU settings of a half as the Profile page edits them, within the page's ranges.
void TakeCpuSettings(ProfileHalf& half, const ProfileHalf& edited) {
  half.useFidVid = edited.useFidVid != 0 ? 1 : 0;
  half.lastState = edited.lastState;
  half.states = edited.states;
  half.useThrottle = edited.useThrottle != 0 ? 1 : 0;
  half.lastThrottle = edited.lastThrottle;
  half.throttles = edited.throttles;
  half.targetLoad = std::clamp(edited.targetLoad, kLowestTargetLoad, kHighestTargetLoad);
  half.upIntervalMs = std::clamp(edited.upIntervalMs, kShortestIntervalMs, kLongestIntervalMs);
  half.downIntervalMs = std::clamp(edited.downIntervalMs, kShortestIntervalMs, kLongestIntervalMs);
}

}  // namespace

const StringTable& RunningProgram::Strings() const {
  return application_.Strings();
}

std::span<const CpuInfo> RunningProgram::Processors() const {
  return application_.Processors();
}

ControlAbilities RunningProgram::Abilities() const {
  return abilities_;
}

bool RunningProgram::IdleHelperAvailable() const {
  return !machine_.runsUnderEmulation;
}

bool RunningProgram::ProFeaturesLoaded() const {
  return machine_.proFeaturesLoaded;
}

ManagementSettings RunningProgram::DefaultManagement() const {
  return AppSettings(machine_).management;
}

ProfileSelection RunningProgram::SelectionInUse() const {
  if (manager_) return manager_->Selection();
  return {settings_.currentProfileAc, settings_.currentProfileDc};
}

int32_t RunningProgram::CurrentProfile() const {
  return manager_ ? manager_->CurrentIndex() : kNoManagementProfile;
}

bool RunningProgram::OnBattery() const {
  return manager_ && manager_->PowerSource() == 1;
}

void RunningProgram::SetWindowSettings(const WindowSettings& window) {
  settings_.window = window;
}

void RunningProgram::ApplyManagement(const ManagementSettings& edited) {
  if (shutDown_ || !manager_) return;
  ManagementSettings& management = settings_.management;
  const CpuInfo& cpu0 = application_.Processors().front();

  // First the three values the engine's threads read, each exchanged while they run.
  management.transitionsMethod = Flag(edited.transitionsMethod);
  management.cpuLoadMethod = std::clamp(edited.cpuLoadMethod, 0, kLastCpuLoadMethod);
  management.cpuOsLoadSelect = Flag(edited.cpuOsLoadSelect);
  manager_->SetTransitionsMethod(management.transitionsMethod);
  manager_->SetCpuLoadMethod(management.cpuLoadMethod);
  sampler_->ApplySettings(SamplerSettingsNow());

  // Then what only this thread reads.
  management.suspendAction = std::clamp(edited.suspendAction, 0, kLastSuspendAction);
  management.defaultsOnDisable = Flag(edited.defaultsOnDisable);
  management.defaultsOnExit = Flag(edited.defaultsOnExit);
  management.defaultsMode = std::clamp(edited.defaultsMode, 0, kLastDefaultsMode);
  // Restoring defaults writes this pair to the processor: a pair it does not offer is
  // refused and the one in force kept.
  if (IsOfferedDefaultPair(cpu0, edited.defaultFid, edited.defaultVid)) {
    management.defaultFid = edited.defaultFid;
    management.defaultVid = edited.defaultVid;
  }
  manager_->SetSuspendAndDefaults(ManagementSettingsOf(settings_, calibration_));
  const bool alertOn = management.overheatAlert != 0;
  management.overheatAlert = (cpu0.isIntelPState || cpu0.isViaC7) ? Flag(edited.overheatAlert) : 0;
  // An alert switched on now reports heat from now on, not an event logged long ago.
  if (!alertOn && management.overheatAlert != 0) ClearStaleOverheat();
  sampler_->ApplySettings(SamplerSettingsNow());

  // Stored for the next start (the page asks for the restart).
  management.runHltOnIdle = IdleHelperAvailable() ? Flag(edited.runHltOnIdle) : 0;
  management.manageOsPowerSettings = Flag(edited.manageOsPowerSettings);
}

void RunningProgram::ApplyProfiles(const PStateTable& table, bool rangeChanged,
                                   int32_t autoAdjustVid, ProfileSelection current,
                                   ProfileSelection startup) {
  if (shutDown_ || !manager_) return;
  const CpuInfo& cpu0 = application_.Processors().front();
  ProfileStore& store = settings_.profiles;
  manager_->EditProfiles(
      [&] {
        if (abilities_.performanceStates) {
          // A table of another length moves every row the profiles point at.
          store.ApplyTable(table, cpu0, rangeChanged || table.Count() != store.Table().Count());
        } else {
          store.ValidateAll(cpu0);
        }
        settings_.management.autoAdjustVid = Flag(autoAdjustVid);
      },
      true, current);
  const ProfileSelection inUse = manager_->Selection();
  settings_.currentProfileAc = inUse.ac;
  settings_.currentProfileDc = inUse.dc;
  const ProfileSelection stored = ClampSelection(startup, store.Count());
  settings_.management.profileAc = stored.ac;
  settings_.management.profileDc = stored.dc;
  UpdateViews(false);
}

void RunningProgram::ApplyProfile(int32_t index, const Profile& edited) {
  if (shutDown_ || !manager_) return;
  Profile* profile = settings_.profiles.At(index);
  if (profile == nullptr) return;
  const CpuInfo& cpu0 = application_.Processors().front();
  const OsSettingsOffer offer = OsSettings();
  // The threads read the current profile's half: it changes while they are held, and is
  // activated again so that its positions fit its new lists (and its OS scheme is in
  // force with its new values).
  manager_->EditProfiles(
      [&] {
        // "No management" has no CPU settings to change, but may name an OS scheme.
        if (index != kNoManagementProfile) {
          TakeCpuSettings(profile->ac, edited.ac);
          TakeCpuSettings(profile->dc, edited.dc);
          settings_.profiles.Validate(index, cpu0);
        }
        TakeOsSettings(*profile, edited, offer);
      },
      manager_->CurrentIndex() == index);
}

std::optional<int32_t> RunningProgram::AddProfile(const std::string& name) {
  const std::optional<std::string> kept = ProfileNameFrom(name);
  if (shutDown_ || !kept) return std::nullopt;
  // A new profile is read by no thread until it is selected.
  const std::optional<int32_t> added = settings_.profiles.Add(*kept);
  // Its OS data is fresh; managed, it starts from the program's policy as it is now.
  if (Profile* profile = added ? settings_.profiles.At(*added) : nullptr; profile && manageOsPower_)
    application_.OsPower().CaptureProfileValues(*profile);
  return added;
}

bool RunningProgram::RenameProfile(int32_t index, const std::string& name) {
  const std::optional<std::string> kept = ProfileNameFrom(name);
  Profile* profile = settings_.profiles.At(index);
  // The fixed profiles' names follow the language.
  if (shutDown_ || !kept || index < kFirstCustomProfile || profile == nullptr) return false;
  SetName(*profile, *kept);
  UpdateViews(false);
  return true;
}

PStateTable RunningProgram::DefaultTable(int32_t editorLastIndex, bool& rangeChanged) {
  return ApplyDefaultsToTable(application_.Processors().front(), DefaultStates(), editorLastIndex,
                              rangeChanged);
}

Profile RunningProgram::DefaultProfile(int32_t index, const Profile& edited,
                                       const PStateTable& table) {
  Profile profile = edited;
  ResetProfileDefaults(profile, index, table, application_.Processors().front(), DefaultStates(),
                       abilities_.performanceStates, abilities_.clockModulation);
  // Managed, the OS settings go back to a new profile's: no scheme of the system's, the
  // processor policy to be switched off, and the program's current values.
  if (manageOsPower_ && index != kNoManagementProfile) {
    const Profile fresh = FreshProfile("", platform_.system.Version().major);
    profile.osLink = fresh.osLink;
    profile.osPolicy = fresh.osPolicy;
    application_.OsPower().CaptureProfileValues(profile);
  }
  return profile;
}

OsSettingsOffer RunningProgram::OsSettings() const {
  return OfferOf(application_.OsPower(), manageOsPower_);
}

int64_t RunningProgram::AnswerSchemeRequest(std::span<uint8_t, 16> buffer) {
  if (shutDown_) return 0;
  return pacetta::AnswerSchemeRequest(application_.OsPower(), buffer);
}

void RunningProgram::RequestRestart() {
  window_.OnPosted({kMsgRestart, 0, 0});
}

void RunningProgram::ForceRefresh() {
  if (shutDown_ || !sampler_) return;
  EvaluateEvents();
  RefreshFlags flags;
  flags.redrawViews = true;
  // A refresh that comes too soon after the last one still shows the values there are.
  if (!sampler_->Refresh(flags, platform_.system.TickCount())) UpdateViews(true);
}

void RunningProgram::KeepDefaultPairOffered() {
  ManagementSettings& management = settings_.management;
  const CpuInfo& cpu0 = application_.Processors().front();
  if (!abilities_.performanceStates ||
      IsOfferedDefaultPair(cpu0, management.defaultFid, management.defaultVid)) {
    return;
  }
  management.defaultFid = cpu0.startFid;
  management.defaultVid = cpu0.startVid;
}

SamplerSettings RunningProgram::SamplerSettingsNow() const {
  SamplerSettings sampler = SamplerSettingsOf(settings_);
  // A changed "RunHltOnIdle" waits for the restart: until then the helpers run or not
  // as they were started.
  sampler.runHltOnIdle = idleHelpersStarted_ ? 1 : 0;
  // The time-stamp synchroniser serves the two cores of a dual-core K8 only.
  const CpuInfo& cpu0 = application_.Processors().front();
  if (cpu0.isK8 != 0 && cpu0.partnerIndex >= 0) {
    sampler.tscSyncEnable = settings_.family.k8.tscSyncEnable;
    sampler.tscSyncSource = settings_.family.k8.tscSyncSource;
    sampler.tscSyncIntervalMs = settings_.family.k8.tscSyncIntervalMs;
  }
  return sampler;
}

}  // namespace pacetta
