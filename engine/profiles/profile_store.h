#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cpu/cpu_info.h"
#include "engine/profiles/profile.h"
#include "engine/profiles/pstate_table.h"

namespace pacetta {

// The three byte strings of the settings store. Nullopt = not stored, or not to be
// trusted (its validity group failed): the loader then uses defaults.
struct StoredProfileData {
  std::optional<std::vector<uint8_t>> pstatesData;     // "PStatesData"
  std::optional<std::vector<uint8_t>> profileData;     // "ProfileData"
  std::optional<std::vector<uint8_t>> profileExtData;  // "ProfileExtData"
};

struct ProfileLoadReport {
  bool tableRead = false;    // false: rebuilt from the processor, state lists emptied
  int32_t rowsDisabled = 0;  // stored rows the processor does not offer
  int32_t profilesRead = 0;  // whole records read from "ProfileData"
  int32_t recordsKept = 0;   // records beyond the room, kept unread for the save
};

struct ProfileSaveOptions {
  // The AMD K8 transition method changed during the run: the table and the state lists
  // of the fixed profiles are saved empty, so the next start rebuilds them.
  bool k8MethodChanged = false;
};

// The performance-state table and the profiles. Profiles live at stable addresses (the
// management threads hold a pointer to the current half), so adding one never moves
// another; deleting moves the later ones down by one index, not in memory.
class ProfileStore {
 public:
  // The four fixed profiles at their defaults, an empty table, room for four profiles.
  explicit ProfileStore(uint32_t osMajorVersion = 6);
  ProfileStore(const ProfileStore& other);
  ProfileStore& operator=(const ProfileStore& other);
  ProfileStore(ProfileStore&&) noexcept = default;
  ProfileStore& operator=(ProfileStore&&) noexcept = default;
  ~ProfileStore();

  // Replaces everything from the stored byte strings. `room` is 32 with the
  // professional-features module loaded, else 4. Records beyond the room cannot be used
  // now; they are kept as stored and written back by Save, after the readable ones.
  ProfileLoadReport Load(const StoredProfileData& stored, const CpuInfo& cpu, int32_t room);
  StoredProfileData Save(const ProfileSaveOptions& options = {}) const;

  int32_t Count() const { return static_cast<int32_t>(profiles_.size()); }
  int32_t Room() const { return room_; }
  // Null outside 0..Count()-1.
  Profile* At(int32_t index);
  const Profile* At(int32_t index) const;

  const PStateTable& Table() const { return table_; }
  // Replaces the table with an edited one. When the number of rows differs from what the
  // processor reports (`rangeChanged`), every profile's state lists are emptied;
  // otherwise every profile is validated. Rows the processor does not offer are
  // switched off first.
  void ApplyTable(const PStateTable& table, const CpuInfo& cpu, bool rangeChanged);
  // The defaults row that restoring defaults writes (never stored).
  void SetDefaultsRow(const PState& state) { table_.rows[kDefaultsRow] = state; }

  // Drops state entries beyond the table or on disabled rows and throttle levels outside
  // 1..8 (order kept), applies the fixed-profile rules, derives the thresholds.
  void Validate(int32_t index, const CpuInfo& cpu);
  void ValidateAll(const CpuInfo& cpu);
  // Empties every profile's state lists (also those kept unread) and derives anew.
  void InvalidateAll(const CpuInfo& cpu);
  // Re-derives the thresholds of one profile after an edit of its lists or targets.
  void Derive(int32_t index, const CpuInfo& cpu);

  // Appends a fresh profile; nullopt when the room is full.
  std::optional<int32_t> Add(std::string_view name);
  // Removes custom profile `index` and moves the later ones down; false (nothing done)
  // for a fixed profile or an index outside the list.
  bool Delete(int32_t index);

  // Names of the fixed profiles follow the language: rewritten at every load.
  void SetFixedNames(std::span<const std::string> names);

 private:
  void ResetToDefaults();

  uint32_t osMajorVersion_;
  int32_t room_ = kFixedProfileCount;
  PStateTable table_;
  std::vector<std::unique_ptr<Profile>> profiles_;
  // Records beyond the room, as stored (194 bytes each), with their 496-byte OS data.
  std::vector<uint8_t> keptRecords_;
  std::vector<uint8_t> keptExtRecords_;
};

// The selection of profiles: one index for AC power, one for battery.
struct ProfileSelection {
  int32_t ac = 0;
  int32_t dc = 0;

  int32_t Current(bool onBattery) const { return onBattery ? dc : ac; }
};

// Indices outside 0..count-1 become 0.
ProfileSelection ClampSelection(ProfileSelection selection, int32_t count);
// Sets the given slots; refused (false, nothing changed) when an index lies outside
// 0..count-1.
bool SelectProfile(ProfileSelection& selection, std::optional<int32_t> ac,
                   std::optional<int32_t> dc, int32_t count);
// After profile `deleted` was removed: later indices move down, the deleted one becomes 0.
void AdjustSelectionAfterDelete(ProfileSelection& selection, int32_t deleted);

}  // namespace pacetta
