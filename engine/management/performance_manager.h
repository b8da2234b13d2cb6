#pragma once
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "cpu/cpu_info.h"
#include "engine/management/load_source.h"
#include "engine/management/management_threads.h"
#include "engine/management/management_types.h"
#include "engine/management/one_shot_delay.h"
#include "engine/management/publication.h"
#include "engine/profiles/profile.h"
#include "engine/profiles/profile_store.h"
#include "platform/instance.h"

namespace pacetta::management {

// Performance management: keeps every processor in the state and throttle level the
// current profile asks for. The operations below run on the main thread; the
// per-processor threads read what they publish without a lock.
class PerformanceManager {
 public:
  PerformanceManager(std::span<CpuInfo> records, ProfileStore& store, LoadSource& loads,
                     ManagementHardware hardware, platform::NamedEvent& stopSignal,
                     const ManagementSettings& settings, ManagementHooks hooks = {});
  PerformanceManager(const PerformanceManager&) = delete;
  PerformanceManager& operator=(const PerformanceManager&) = delete;
  // Stops the threads (without restoring defaults).
  ~PerformanceManager();

  // Creates the threads (suspended), learns the power source and activates its profile,
  // and arms the start delay that lets the threads run. `acLineStatus` 1 = on AC power.
  // False when a thread could not be created: none runs then.
  bool Start(ProfileSelection selection, int32_t acLineStatus);
  // Sets the stop signal, releases and joins every thread. Idempotent.
  void Stop();

  ProfileSelection Selection() const { return selection_; }
  // Selects profiles and activates the one of the current power source.
  void Select(ProfileSelection selection);
  void ActivateProfile();
  // Puts the processors back to their defaults for the kinds asked for, when
  // "DefaultsOnExit" (onExit) or "DefaultsOnDisable" allows; unless onExit, the current
  // profile comes back afterwards. False when nothing was restored, or not everywhere in
  // time.
  bool RestoreDefaults(bool states, bool throttle, bool onExit);
  // Part of the orderly exit: restores what the current half manages, if allowed.
  bool RestoreDefaultsOnExit();
  // Returns whether the source changed (the caller then forwards the notice to its pages
  // unless `initial`).
  bool OnPowerStatusChange(int32_t acLineStatus, bool initial);
  void OnSuspend();
  // After the per-family settings were re-applied: activates again and re-arms the start
  // delay.
  void OnResume(int32_t acLineStatus);
  // Deletes custom profile `index`. `whileRemoved` runs after the removal, before the
  // profile of the current source is activated again. False for a fixed or unknown one.
  bool DeleteProfile(int32_t index, const std::function<void()>& whileRemoved = {});
  // Changes the table or the profiles while no thread reads them (the pages' "Apply"):
  // the threads are held while `edit` runs, and a pending start delay keeps what was
  // left of it. With `activate`, the profile of the current power source is activated
  // afterwards, from `selection` when one is given.
  void EditProfiles(const std::function<void()>& edit, bool activate,
                    std::optional<ProfileSelection> selection = std::nullopt);

  void SuspendThreads();
  void ResumeThreads();

  // Replaced while the threads run ("Apply" of the management page).
  void SetTransitionsMethod(int32_t method) { transitionsMethod_.exchange(method); }
  void SetCpuLoadMethod(int32_t method) { cpuLoadMethod_.exchange(method); }
  // "Apply" of the management page for what only the main thread reads: the suspend
  // action and how defaults are restored.
  void SetSuspendAndDefaults(const ManagementSettings& values);
  // "Apply" of the settings page: whether profile changes and power events show a balloon.
  void SetShowInfoBalloons(int32_t show) { settings_.showInfoBalloons = show; }

  int32_t CurrentIndex() const { return currentIndex_; }
  int32_t PowerSource() const { return powerSource_; }  // 0 AC, 1 battery, -1 unknown
  const ProfileHalf* CurrentHalf() const { return publication_.Half(); }
  ListPositions Positions(unsigned k) const { return publication_.Positions(k); }
  bool ThreadsSuspended() const { return !threads_ || threads_->Suspended(); }
  ManagementHardware& Hardware() { return hardware_; }

 private:
  const ProfileHalf& HalfOf(int32_t index) const;
  bool RestoreDefaultsFor(bool states, bool throttle, bool onExit, bool putBack);
  bool OnBattery() const { return powerSource_ == 1; }
  // Publishes `half`; `next` gives each processor's positions. With `wake` running
  // threads end their control-period wait to apply it at once: only for what must take
  // effect within a bounded wait (defaults, suspend), since the early period's short
  // load would count toward the up and down counters.
  uint32_t Publish(const ProfileHalf& half,
                   const std::function<ListPositions(unsigned, ListPositions)>& next,
                   bool wake = false);
  // Whether the threads run now: not held by the start delay or a system suspend.
  bool ThreadsRunning() const { return threads_ && !threads_->Suspended(); }
  const Profile& Defaults() const { return defaults_[defaultsSlot_]; }
  ListPositions StartPositions(const ProfileHalf& half, ListPositions now);
  void ApplyPriorities(bool managed);
  void Balloon(uint32_t title, uint32_t text);
  void ArmStartDelay(std::chrono::milliseconds delay);
  // Cancels a pending start delay; returns what was left of it.
  std::optional<std::chrono::milliseconds> CancelStartDelay();

  std::span<CpuInfo> records_;
  ProfileStore& store_;
  LoadSource& loads_;
  ManagementHardware hardware_;
  platform::NamedEvent& stopSignal_;
  ManagementSettings settings_;
  ManagementHooks hooks_;

  std::atomic<int32_t> transitionsMethod_;
  std::atomic<int32_t> cpuLoadMethod_;
  std::atomic<bool> timeCritical_{false};
  Publication publication_;

  ProfileSelection selection_;
  int32_t currentIndex_ = 0;
  int32_t powerSource_ = -1;
  bool managedStates_ = false;  // by the previously applied half
  bool managedThrottle_ = false;
  // Slot 32: the pair of row 64, full clock; two buffers, the one in use is never rewritten.
  std::array<Profile, 2> defaults_{};
  unsigned defaultsSlot_ = 0;
  const ProfileHalf unmanaged_{};  // stands in while a profile is deleted

  std::chrono::steady_clock::time_point startDeadline_{};
  std::unique_ptr<OneShotDelay> startDelay_;
  std::unique_ptr<ManagementThreads> threads_;  // last: stopped before the rest goes
};

}  // namespace pacetta::management
