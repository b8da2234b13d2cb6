#include "engine/management/performance_manager.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>

#include "cpu/pstate/clock_modulation.h"
#include "cpu/pstate/fid_conversion.h"
#include "cpu/sensors/current_state.h"
#include "cpu/sensors/reading_fields.h"
#include "hw/pinning.h"

namespace pacetta::management {
namespace {

constexpr auto kDefaultsWait = std::chrono::milliseconds(500);
constexpr auto kSuspendWait = std::chrono::milliseconds(2000);
// Lets a balloon be seen before the system goes to sleep.
constexpr auto kSuspendBalloonPause = std::chrono::milliseconds(400);

ListPositions Unchanged(unsigned, ListPositions now) {
  return now;
}

}  // namespace

PerformanceManager::PerformanceManager(std::span<CpuInfo> records, ProfileStore& store,
                                       LoadSource& loads, ManagementHardware hardware,
                                       platform::NamedEvent& stopSignal,
                                       const ManagementSettings& settings, ManagementHooks hooks)
    : records_(records.first(std::min<size_t>(records.size(), kMaxProcessors))),
      store_(store),
      loads_(loads),
      hardware_(hardware),
      stopSignal_(stopSignal),
      settings_(settings),
      hooks_(std::move(hooks)),
      transitionsMethod_(settings.transitionsMethod),
      cpuLoadMethod_(settings.cpuLoadMethod) {}

PerformanceManager::~PerformanceManager() {
  Stop();
}

bool PerformanceManager::Start(ProfileSelection selection, int32_t acLineStatus) {
  if (threads_) return true;
  selection_ = ClampSelection(selection, store_.Count());
  try {
    threads_ = std::make_unique<ManagementThreads>(
        ThreadShared{records_, store_.Table(), publication_, loads_, hardware_, settings_, hooks_,
                     stopSignal_, transitionsMethod_, cpuLoadMethod_, timeCritical_});
  } catch (const std::system_error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  powerSource_ = -1;
  OnPowerStatusChange(acLineStatus, true);
  ArmStartDelay(std::chrono::milliseconds(std::max(settings_.startDelayMs, 0)));
  return true;
}

void PerformanceManager::Stop() {
  CancelStartDelay();
  if (threads_) threads_->Stop();
}

void PerformanceManager::Select(ProfileSelection selection) {
  selection_ = ClampSelection(selection, store_.Count());
  ActivateProfile();
}

const ProfileHalf& PerformanceManager::HalfOf(int32_t index) const {
  if (index == kDefaultsProfileIndex) return Defaults().Half(OnBattery());
  if (const Profile* profile = store_.At(index)) return profile->Half(OnBattery());
  if (const Profile* none = store_.At(kNoManagementProfile)) return none->Half(OnBattery());
  return unmanaged_;
}

uint32_t PerformanceManager::Publish(
    const ProfileHalf& half, const std::function<ListPositions(unsigned, ListPositions)>& next,
    bool wake) {
  const DecisionLimits limits{IntervalLimit(half.upIntervalMs, settings_.controlIntervalMs),
                              IntervalLimit(half.downIntervalMs, settings_.controlIntervalMs)};
  publication_.Publish(&half, limits, static_cast<unsigned>(records_.size()), next);
  if (wake && threads_) threads_->Wake();
  return publication_.Generation();
}

ListPositions PerformanceManager::StartPositions(const ProfileHalf& half, ListPositions now) {
  ListPositions start = now;
  if (ManagesStates(half)) start.state = 0;
  if (ManagesThrottle(half)) start.throttle = 0;
  if (!IsDynamic(half) || records_.empty()) return start;

  // A dynamic half starts where processor 0 runs now: the fastest listed state (and
  // throttle level) not above its present one.
  CpuInfo& first = records_[0];
  PinToProcessor(hardware_.processors, 0);
  ReadCurrentState(first, hardware_.sensors);
  uint32_t level = kFullClockLevel;
  ReadThrottle(first, hardware_.sensors.driver, level);
  UnpinThread(hardware_.processors);
  if (ManagesStates(half)) {
    const int32_t rank =
        FidToIndex(first, static_cast<int32_t>(sensors::LoadReading(first.currentFid)));
    for (int32_t p = 0; p <= half.lastState; ++p) {
      const PState* row = store_.Table().Row(half.states[static_cast<size_t>(p)]);
      if (row && FidToIndex(first, static_cast<int32_t>(row->fid)) <= rank) start.state = p;
    }
  }
  if (ManagesThrottle(half)) {
    for (int32_t p = 0; p <= half.lastThrottle; ++p) {
      if (half.throttles[static_cast<size_t>(p)] <= static_cast<int32_t>(level)) start.throttle = p;
    }
  }
  return start;
}

void PerformanceManager::ApplyPriorities(bool managed) {
  if (settings_.noRealtimePriority) return;
  if (hardware_.priorities) {
    hardware_.priorities->SetProcessPriority(managed ? platform::ProcessPriority::kRealtime
                                                     : platform::ProcessPriority::kNormal);
    std::this_thread::yield();
  }
  timeCritical_.store(managed);  // each thread takes it at its next period
}

void PerformanceManager::Balloon(uint32_t title, uint32_t text) {
  if (settings_.showInfoBalloons && hooks_.infoBalloon) hooks_.infoBalloon(title, text);
}

void PerformanceManager::ActivateProfile() {
  const int32_t index = selection_.Current(OnBattery());
  const ProfileHalf& half = HalfOf(index);
  const bool states = ManagesStates(half);
  const bool throttle = ManagesThrottle(half);
  const bool dropStates = managedStates_ && !states;
  const bool dropThrottle = managedThrottle_ && !throttle;
  // The new half replaces the previous one at once, so it is not put back afterwards.
  if (dropStates || dropThrottle) RestoreDefaultsFor(dropStates, dropThrottle, false, false);
  managedStates_ = states;
  managedThrottle_ = throttle;
  ApplyPriorities(IsManaged(half));

  std::array<ListPositions, kMaxProcessors> start{};
  for (unsigned k = 0; k < records_.size(); ++k) {
    const ListPositions now = publication_.Positions(k);
    start[k] = k == 0 ? StartPositions(half, now) : ListPositions{};
    if (k > 0) {
      start[k] = now;
      if (states) start[k].state = start[0].state;
      if (throttle) start[k].throttle = start[0].throttle;
    }
  }
  currentIndex_ = index < store_.Count() ? index : kNoManagementProfile;
  Publish(half, [&start](unsigned k, ListPositions) { return start[k]; });
  if (hooks_.profileActivated) hooks_.profileActivated(currentIndex_);
}

bool PerformanceManager::RestoreDefaults(bool states, bool throttle, bool onExit) {
  return RestoreDefaultsFor(states, throttle, onExit, !onExit);
}

bool PerformanceManager::RestoreDefaultsFor(bool states, bool throttle, bool onExit, bool putBack) {
  if (!states && !throttle) return false;
  if (!(onExit ? settings_.defaultsOnExit : settings_.defaultsOnDisable)) return false;
  if (!threads_ || records_.empty()) return false;

  // A management thread may still be finishing a period on the defaults published by the
  // previous restore, so the published buffer is never rewritten: the defaults are built
  // aside and, only when they differ, go into the other buffer (and the pair into its row).
  Profile fresh{};
  if (states) {
    const CpuInfo& first = records_[0];
    PState pair{static_cast<uint32_t>(std::max(first.startFid, 0)),
                static_cast<uint32_t>(std::max(first.startVid, 0)), 1, kPStateKindNormal};
    if (settings_.defaultsMode == kDefaultsProcessorDefined) {
      pair.fid = static_cast<uint32_t>(std::max(first.maxFid, 0));
      pair.vid = static_cast<uint32_t>(std::max(first.maxVid, 0));
    } else if (settings_.defaultsMode == kDefaultsCustom) {
      pair.fid = static_cast<uint32_t>(std::max(settings_.defaultFid, 0));
      pair.vid = static_cast<uint32_t>(std::max(settings_.defaultVid, 0));
    }
    if (store_.Table().rows[kDefaultsRow] != pair) store_.SetDefaultsRow(pair);
    for (ProfileHalf* half : {&fresh.ac, &fresh.dc}) {
      half->useFidVid = 1;
      half->lastState = 0;
      half->states[0] = kDefaultsRow;
    }
  }
  if (throttle) {
    for (ProfileHalf* half : {&fresh.ac, &fresh.dc}) {
      half->useThrottle = 1;
      half->lastThrottle = 0;
      half->throttles[0] = kNoThrottling;
    }
  }
  if (fresh.ac != Defaults().ac || fresh.dc != Defaults().dc) {
    defaultsSlot_ ^= 1U;
    defaults_[defaultsSlot_] = fresh;
  }

  const int32_t previousIndex = currentIndex_;
  const ProfileHalf* previousHalf = publication_.Half();
  currentIndex_ = kDefaultsProfileIndex;
  // Threads held by the start delay or a system suspend stay held: the processors keep
  // their state until management runs, and then the current profile decides.
  const bool running = ThreadsRunning();
  const uint32_t generation = Publish(
      Defaults().Half(OnBattery()),
      [states, throttle](unsigned, ListPositions now) {
        if (states) now.state = 0;
        if (throttle) now.throttle = 0;
        return now;
      },
      running);
  const bool all = running && threads_->WaitSettled(generation, kDefaultsWait);
  if (putBack) {
    currentIndex_ = previousIndex;
    if (previousHalf) Publish(*previousHalf, Unchanged);
  }
  return all;
}

bool PerformanceManager::RestoreDefaultsOnExit() {
  const ProfileHalf* half = publication_.Half();
  if (!half || !IsManaged(*half)) return false;
  return RestoreDefaults(ManagesStates(*half), ManagesThrottle(*half), true);
}

bool PerformanceManager::OnPowerStatusChange(int32_t acLineStatus, bool initial) {
  if (initial) powerSource_ = -1;
  const int32_t source = acLineStatus == 1 ? 0 : 1;  // unknown counts as battery
  if (source == powerSource_) return false;
  powerSource_ = source;
  ActivateProfile();
  if (!initial && settings_.showInfoBalloons && hooks_.notification) {
    hooks_.notification(kStrPowerSourceChanged);
  }
  return true;
}

void PerformanceManager::OnSuspend() {
  if (!threads_) return;
  const ProfileHalf* current = publication_.Half();
  if (current && IsManaged(*current)) {
    const int32_t action = settings_.suspendAction;
    const bool fastest = action == kSuspendMaximalPerformance;
    const bool switchProfile = action == kSuspendPowerSaving || fastest;
    if (switchProfile) {
      Balloon(kStrEnteringSuspend,
              fastest ? kStrSwitchingToMaximalPerformance : kStrSwitchingToPowerSaving);
    }
    currentIndex_ = switchProfile ? (fastest ? kMaximalPerformanceProfile : kPowerSavingProfile)
                                  : kNoManagementProfile;
    const ProfileHalf& half = HalfOf(currentIndex_);
    const bool running = ThreadsRunning();
    const uint32_t generation = Publish(
        half,
        [&half, switchProfile, fastest](unsigned, ListPositions now) {
          if (!switchProfile) return now;  // nothing managed: every processor stays
          if (ManagesThrottle(half)) now.throttle = fastest ? half.lastThrottle : 0;
          if (ManagesStates(half)) now.state = fastest ? half.lastState : 0;
          return now;
        },
        running);
    // Held threads (the start delay) have not touched the processors: nothing to settle.
    if (running) threads_->WaitSettled(generation, kSuspendWait);
    if (switchProfile && settings_.showInfoBalloons)
      std::this_thread::sleep_for(kSuspendBalloonPause);
  }
  SuspendThreads();
}

void PerformanceManager::OnResume(int32_t acLineStatus) {
  if (!threads_) return;
  OnPowerStatusChange(acLineStatus, true);
  ArmStartDelay(std::chrono::milliseconds(std::max(settings_.startDelayMs, 0)));
}

bool PerformanceManager::DeleteProfile(int32_t index, const std::function<void()>& whileRemoved) {
  const Profile* doomed = store_.At(index);
  if (index < kFirstCustomProfile || !doomed) return false;
  EditProfiles(
      [&] {
        // Nobody reads the doomed profile's halves once it is gone.
        const ProfileHalf* current = publication_.Half();
        if (current == &doomed->ac || current == &doomed->dc) Publish(unmanaged_, Unchanged);
        store_.Delete(index);
        AdjustSelectionAfterDelete(selection_, index);
        if (currentIndex_ == index) {
          currentIndex_ = kNoManagementProfile;
        } else if (currentIndex_ > index && currentIndex_ < kDefaultsProfileIndex) {
          --currentIndex_;
        }
        if (whileRemoved) whileRemoved();
      },
      true);
  return true;
}

void PerformanceManager::EditProfiles(const std::function<void()>& edit, bool activate,
                                      std::optional<ProfileSelection> selection) {
  const auto pending = CancelStartDelay();
  const bool wasRunning = threads_ && !threads_->Suspended();
  if (wasRunning) threads_->Suspend();
  edit();
  // Running again before the activation, so defaults it restores reach the processors.
  if (wasRunning) threads_->Resume();
  if (activate) {
    if (selection) selection_ = ClampSelection(*selection, store_.Count());
    ActivateProfile();
  }
  if (pending) ArmStartDelay(*pending);
}

void PerformanceManager::SetSuspendAndDefaults(const ManagementSettings& values) {
  settings_.suspendAction = values.suspendAction;
  settings_.defaultsOnExit = values.defaultsOnExit;
  settings_.defaultsOnDisable = values.defaultsOnDisable;
  settings_.defaultsMode = values.defaultsMode;
  settings_.defaultFid = values.defaultFid;
  settings_.defaultVid = values.defaultVid;
}

void PerformanceManager::SuspendThreads() {
  CancelStartDelay();
  if (threads_) threads_->Suspend();
}

void PerformanceManager::ResumeThreads() {
  CancelStartDelay();
  if (threads_) threads_->Resume();
}

void PerformanceManager::ArmStartDelay(std::chrono::milliseconds delay) {
  CancelStartDelay();
  if (!threads_) return;
  if (delay <= delay.zero()) {
    threads_->Resume();
    return;
  }
  startDeadline_ = std::chrono::steady_clock::now() + delay;
  ManagementThreads* threads = threads_.get();
  startDelay_ = std::make_unique<OneShotDelay>(delay, [threads] { threads->Resume(); });
}

std::optional<std::chrono::milliseconds> PerformanceManager::CancelStartDelay() {
  if (!startDelay_) return std::nullopt;
  startDelay_.reset();  // joined: the delay cannot fire any more
  if (!threads_ || !threads_->Suspended()) return std::nullopt;  // it had fired
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      startDeadline_ - std::chrono::steady_clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

}  // namespace pacetta::management
