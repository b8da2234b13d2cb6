#include "engine/profiles/profile_store.h"

#include <algorithm>

#include "engine/profiles/profile_records.h"
#include "engine/profiles/pstates_data.h"
#include "engine/profiles/thresholds.h"

namespace pacetta {

namespace {

void EmptyStateLists(Profile& profile) {
  profile.ac.lastState = -1;
  profile.dc.lastState = -1;
}

// Keeps the listed states that name an enabled row of the table, in their order.
void DropUnusableStates(ProfileHalf& half, const PStateTable& table) {
  const int32_t last = std::clamp(half.lastState, -1, kMaxStatesPerList - 1);
  int32_t kept = 0;
  for (int32_t i = 0; i <= last; ++i) {
    const int32_t row = half.states[static_cast<size_t>(i)];
    // The defaults row belongs to restoring defaults, never to a profile's list.
    if (row != kDefaultsRow && table.IsUsable(row)) half.states[static_cast<size_t>(kept++)] = row;
  }
  half.lastState = kept - 1;
}

void DeriveBoth(Profile& profile, const RowMultipliers& multipliers) {
  DeriveThresholds(profile.ac, multipliers);
  DeriveThresholds(profile.dc, multipliers);
}

}  // namespace

ProfileStore::ProfileStore(uint32_t osMajorVersion) : osMajorVersion_(osMajorVersion) {
  ResetToDefaults();
}

ProfileStore::ProfileStore(const ProfileStore& other)
    : osMajorVersion_(other.osMajorVersion_),
      room_(other.room_),
      table_(other.table_),
      keptRecords_(other.keptRecords_),
      keptExtRecords_(other.keptExtRecords_) {
  profiles_.reserve(other.profiles_.size());
  for (const auto& profile : other.profiles_)
    profiles_.push_back(std::make_unique<Profile>(*profile));
}

ProfileStore& ProfileStore::operator=(const ProfileStore& other) {
  if (this != &other) {
    ProfileStore copy(other);
    *this = std::move(copy);
  }
  return *this;
}

ProfileStore::~ProfileStore() = default;

void ProfileStore::ResetToDefaults() {
  room_ = kFixedProfileCount;
  table_ = PStateTable{};
  profiles_.clear();
  for (int32_t i = 0; i < kFixedProfileCount; ++i)
    profiles_.push_back(std::make_unique<Profile>(FreshProfile("", osMajorVersion_)));
  keptRecords_.clear();
  keptExtRecords_.clear();
}

ProfileLoadReport ProfileStore::Load(const StoredProfileData& stored, const CpuInfo& cpu,
                                     int32_t room) {
  ResetToDefaults();
  room_ = std::clamp(room, kFixedProfileCount, kMaxProfiles);
  ProfileLoadReport report;

  std::optional<PStateTable> table;
  if (stored.pstatesData) table = UnpackPStatesData(*stored.pstatesData);
  report.tableRead = table.has_value();
  if (table) {
    table_ = *table;
    report.rowsDisabled = DisableRowsNotOffered(table_, cpu);
  } else {
    table_ = BuildTableFromProcessor(cpu);
  }

  const std::span<const uint8_t> records = stored.profileData
                                               ? std::span<const uint8_t>(*stored.profileData)
                                               : std::span<const uint8_t>{};
  const std::span<const uint8_t> extRecords = stored.profileExtData
                                                  ? std::span<const uint8_t>(*stored.profileExtData)
                                                  : std::span<const uint8_t>{};
  const auto storedCount = static_cast<int32_t>(
      std::min<size_t>(records.size() / kProfileRecordSize, static_cast<size_t>(kMaxProfiles)));
  const int32_t readable = std::min(storedCount, room_);
  const auto extCount = static_cast<int32_t>(extRecords.size() / kProfileExtRecordSize);

  // A stored count below four still leaves the four fixed profiles.
  for (int32_t i = 0; i < readable; ++i) {
    if (i >= Count())
      profiles_.push_back(std::make_unique<Profile>(FreshProfile("", osMajorVersion_)));
    Profile& profile = *profiles_[static_cast<size_t>(i)];
    UnpackProfileRecord(records.subspan(static_cast<size_t>(i) * kProfileRecordSize), profile);
    if (i < extCount)
      UnpackProfileExtRecord(extRecords.subspan(static_cast<size_t>(i) * kProfileExtRecordSize),
                             profile);
  }
  report.profilesRead = readable;

  // Custom profiles saved while the professional-features module was loaded: unusable
  // now, but the save must not lose them.
  for (int32_t i = readable; i < storedCount; ++i) {
    const auto record =
        records.subspan(static_cast<size_t>(i) * kProfileRecordSize, kProfileRecordSize);
    keptRecords_.insert(keptRecords_.end(), record.begin(), record.end());
    if (i < extCount) {
      const auto ext =
          extRecords.subspan(static_cast<size_t>(i) * kProfileExtRecordSize, kProfileExtRecordSize);
      keptExtRecords_.insert(keptExtRecords_.end(), ext.begin(), ext.end());
    } else {
      PackProfileExtRecord(FreshProfile("", osMajorVersion_), keptExtRecords_);
    }
  }
  report.recordsKept = storedCount - readable;

  if (report.tableRead) {
    ValidateAll(cpu);
  } else {
    // Stored state indices named rows of a table that no longer exists.
    for (auto& profile : profiles_) EmptyStateLists(*profile);
    for (int32_t i = 0; i < Count(); ++i) Validate(i, cpu);
  }
  return report;
}

StoredProfileData ProfileStore::Save(const ProfileSaveOptions& options) const {
  StoredProfileData stored;
  stored.pstatesData = options.k8MethodChanged ? std::vector<uint8_t>{} : PackPStatesData(table_);

  std::vector<uint8_t> records;
  std::vector<uint8_t> extRecords;
  for (int32_t i = 0; i < Count(); ++i) {
    const Profile& profile = *profiles_[static_cast<size_t>(i)];
    if (options.k8MethodChanged && i < kFixedProfileCount) {
      Profile emptied = profile;
      EmptyStateLists(emptied);
      PackProfileRecord(emptied, records);
    } else {
      PackProfileRecord(profile, records);
    }
    PackProfileExtRecord(profile, extRecords);
  }
  records.insert(records.end(), keptRecords_.begin(), keptRecords_.end());
  extRecords.insert(extRecords.end(), keptExtRecords_.begin(), keptExtRecords_.end());
  stored.profileData = std::move(records);
  stored.profileExtData = std::move(extRecords);
  return stored;
}

Profile* ProfileStore::At(int32_t index) {
  if (index < 0 || index >= Count()) return nullptr;
  return profiles_[static_cast<size_t>(index)].get();
}

const Profile* ProfileStore::At(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return profiles_[static_cast<size_t>(index)].get();
}

void ProfileStore::ApplyTable(const PStateTable& table, const CpuInfo& cpu, bool rangeChanged) {
  const PState defaults = table_.rows[kDefaultsRow];
  table_ = table;
  table_.lastIndex = std::clamp(table_.lastIndex, -1, kMaxPStates - 1);
  table_.rows[kDefaultsRow] = defaults;
  DisableRowsNotOffered(table_, cpu);
  if (rangeChanged) {
    InvalidateAll(cpu);
  } else {
    ValidateAll(cpu);
  }
}

void ProfileStore::Validate(int32_t index, const CpuInfo& cpu) {
  Profile* profile = At(index);
  if (profile == nullptr) return;
  // The fixed profiles' rules come first: "Power saving" keeps the state it was given
  // or none, never a different one.
  for (ProfileHalf* half : {&profile->ac, &profile->dc}) SanitiseLists(*half);
  ApplyFixedProfileRules(*profile, index);
  for (ProfileHalf* half : {&profile->ac, &profile->dc}) DropUnusableStates(*half, table_);
  DeriveBoth(*profile, MultipliersOf(table_, cpu));
}

void ProfileStore::ValidateAll(const CpuInfo& cpu) {
  for (int32_t i = 0; i < Count(); ++i) Validate(i, cpu);
}

void ProfileStore::InvalidateAll(const CpuInfo& cpu) {
  for (auto& profile : profiles_) EmptyStateLists(*profile);
  ValidateAll(cpu);
  // The kept records' indices named rows of the old range as well.
  std::vector<uint8_t> rewritten;
  rewritten.reserve(keptRecords_.size());
  for (size_t offset = 0; offset + kProfileRecordSize <= keptRecords_.size();
       offset += kProfileRecordSize) {
    Profile kept;
    UnpackProfileRecord(std::span<const uint8_t>(keptRecords_).subspan(offset), kept);
    EmptyStateLists(kept);
    PackProfileRecord(kept, rewritten);
  }
  keptRecords_ = std::move(rewritten);
}

void ProfileStore::Derive(int32_t index, const CpuInfo& cpu) {
  if (Profile* profile = At(index)) DeriveBoth(*profile, MultipliersOf(table_, cpu));
}

std::optional<int32_t> ProfileStore::Add(std::string_view name) {
  if (Count() >= room_) return std::nullopt;
  profiles_.push_back(std::make_unique<Profile>(FreshProfile(name, osMajorVersion_)));
  return Count() - 1;
}

bool ProfileStore::Delete(int32_t index) {
  if (index < kFirstCustomProfile || index >= Count()) return false;
  profiles_.erase(profiles_.begin() + index);
  return true;
}

void ProfileStore::SetFixedNames(std::span<const std::string> names) {
  const size_t count = std::min(names.size(), static_cast<size_t>(kFixedProfileCount));
  for (size_t i = 0; i < count && i < profiles_.size(); ++i) SetName(*profiles_[i], names[i]);
}

ProfileSelection ClampSelection(ProfileSelection selection, int32_t count) {
  if (selection.ac < 0 || selection.ac >= count) selection.ac = 0;
  if (selection.dc < 0 || selection.dc >= count) selection.dc = 0;
  return selection;
}

bool SelectProfile(ProfileSelection& selection, std::optional<int32_t> ac,
                   std::optional<int32_t> dc, int32_t count) {
  const auto valid = [count](std::optional<int32_t> index) {
    return !index || (*index >= 0 && *index < count);
  };
  if (!valid(ac) || !valid(dc)) return false;
  if (ac) selection.ac = *ac;
  if (dc) selection.dc = *dc;
  return true;
}

void AdjustSelectionAfterDelete(ProfileSelection& selection, int32_t deleted) {
  for (int32_t* index : {&selection.ac, &selection.dc}) {
    if (*index == deleted) {
      *index = 0;
    } else if (*index > deleted) {
      --*index;
    }
  }
}

}  // namespace pacetta
