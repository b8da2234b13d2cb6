#include "engine/profiles/profile_records.h"

#include <algorithm>

namespace pacetta {

namespace {

// Offsets within a stored profile and within a stored half.
constexpr size_t kNameOffset = 0;
constexpr size_t kAcOffset = 32;
constexpr size_t kDcOffset = kAcOffset + kProfileHalfRecordSize;

constexpr size_t kUseFidVid = 0;
constexpr size_t kLastState = 1;
constexpr size_t kStates = 2;
constexpr size_t kUseThrottle = 66;
constexpr size_t kLastThrottle = 67;
constexpr size_t kThrottles = 68;
constexpr size_t kTargetLoad = 76;
constexpr size_t kUpInterval = 77;
constexpr size_t kDownInterval = 79;

static_assert(kDcOffset + kProfileHalfRecordSize == kProfileRecordSize);
static_assert(kDownInterval + 2 == kProfileHalfRecordSize);

uint16_t ReadWord(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

void WriteWord(uint8_t* bytes, int32_t value) {
  const auto word = static_cast<uint16_t>(std::clamp(value, 0, 0xFFFF));
  bytes[0] = static_cast<uint8_t>(word);
  bytes[1] = static_cast<uint8_t>(word >> 8);
}

uint8_t ToByte(int32_t value) {
  return static_cast<uint8_t>(std::clamp(value, 0, 0xFF));
}

void UnpackHalf(const uint8_t* bytes, ProfileHalf& half) {
  half.useFidVid = bytes[kUseFidVid] != 0 ? 1 : 0;
  half.lastState = static_cast<int8_t>(bytes[kLastState]);
  for (size_t i = 0; i < half.states.size(); ++i) half.states[i] = bytes[kStates + i];
  half.useThrottle = bytes[kUseThrottle] != 0 ? 1 : 0;
  half.lastThrottle = static_cast<int8_t>(bytes[kLastThrottle]);
  for (size_t i = 0; i < half.throttles.size(); ++i) half.throttles[i] = bytes[kThrottles + i];
  half.targetLoad = bytes[kTargetLoad];
  half.upIntervalMs = ReadWord(bytes + kUpInterval);
  half.downIntervalMs = ReadWord(bytes + kDownInterval);
  half.thresholds = ProfileHalf::UnreachableThresholds();
  SanitiseLists(half);
}

void PackHalf(const ProfileHalf& half, uint8_t* bytes) {
  const int32_t lastState = std::clamp(half.lastState, -1, kMaxStatesPerList - 1);
  const int32_t lastThrottle = std::clamp(half.lastThrottle, -1, kMaxThrottlesPerList - 1);
  bytes[kUseFidVid] = half.useFidVid != 0 ? 1 : 0;
  bytes[kLastState] = static_cast<uint8_t>(static_cast<int8_t>(lastState));
  for (int32_t i = 0; i <= lastState; ++i)
    bytes[kStates + static_cast<size_t>(i)] = ToByte(half.states[static_cast<size_t>(i)]);
  bytes[kUseThrottle] = half.useThrottle != 0 ? 1 : 0;
  bytes[kLastThrottle] = static_cast<uint8_t>(static_cast<int8_t>(lastThrottle));
  for (int32_t i = 0; i <= lastThrottle; ++i)
    bytes[kThrottles + static_cast<size_t>(i)] = ToByte(half.throttles[static_cast<size_t>(i)]);
  bytes[kTargetLoad] = ToByte(half.targetLoad);
  WriteWord(bytes + kUpInterval, half.upIntervalMs);
  WriteWord(bytes + kDownInterval, half.downIntervalMs);
}

}  // namespace

void SanitiseLists(ProfileHalf& half) {
  half.lastState = std::clamp(half.lastState, -1, kMaxStatesPerList - 1);
  const int32_t storedLast = std::clamp(half.lastThrottle, -1, kMaxThrottlesPerList - 1);
  int32_t kept = 0;
  for (int32_t i = 0; i <= storedLast; ++i) {
    const int32_t level = half.throttles[static_cast<size_t>(i)];
    if (level >= kLowestThrottleLevel && level <= kNoThrottling)
      half.throttles[static_cast<size_t>(kept++)] = level;
  }
  for (int32_t i = kept; i < kMaxThrottlesPerList; ++i) half.throttles[static_cast<size_t>(i)] = 0;
  half.lastThrottle = kept - 1;
}

bool UnpackProfileRecord(std::span<const uint8_t> record, Profile& profile) {
  if (record.size() < kProfileRecordSize) return false;
  std::copy_n(record.data() + kNameOffset, kProfileNameSize,
              reinterpret_cast<uint8_t*>(profile.name.data()));
  UnpackHalf(record.data() + kAcOffset, profile.ac);
  UnpackHalf(record.data() + kDcOffset, profile.dc);
  return true;
}

void PackProfileRecord(const Profile& profile, std::vector<uint8_t>& out) {
  const size_t start = out.size();
  out.resize(start + kProfileRecordSize, 0);
  uint8_t* record = out.data() + start;
  std::copy_n(reinterpret_cast<const uint8_t*>(profile.name.data()), kProfileNameSize,
              record + kNameOffset);
  PackHalf(profile.ac, record + kAcOffset);
  PackHalf(profile.dc, record + kDcOffset);
}

bool UnpackProfileExtRecord(std::span<const uint8_t> record, Profile& profile) {
  if (record.size() < kProfileExtRecordSize) return false;
  std::copy_n(record.data(), kOsLinkSize, profile.osLink.begin());
  std::copy_n(record.data() + kOsLinkSize, kOsPolicySize, profile.osPolicy.begin());
  return true;
}

void PackProfileExtRecord(const Profile& profile, std::vector<uint8_t>& out) {
  out.insert(out.end(), profile.osLink.begin(), profile.osLink.end());
  out.insert(out.end(), profile.osPolicy.begin(), profile.osPolicy.end());
}

}  // namespace pacetta
