// The event and action records of the events module: the engines' working form and the
// form stored in the settings, byte for byte. All integers are 32-bit little-endian,
// strings NUL-terminated within their fields.
#pragma once
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace pacetta::addins {

inline constexpr int32_t kMaxEvents = 256;
inline constexpr int32_t kMaxActions = 256;
inline constexpr size_t kRecordNameSize = 32;  // 31 characters and the terminator
inline constexpr size_t kParameterSize = 260;  // the parameter area of both records

enum class EventType : int32_t {
  kOneTime = 0,
  kDaily = 1,
  kWeekly = 2,
  kApplicationRunning = 3,
  kProfileIs = 4,
  kBatteryBelow = 5,
  kBatteryAbove = 6,
  kTemperatureBelow = 7,
  kTemperatureAbove = 8,
  kNoInput = 9,
  kSuspending = 10,
  kResumed = 11,
  kPowerSourceIs = 12,
  kPowerSchemeIs = 13,
};
inline constexpr int32_t kEventTypeCount = 14;

enum class ActionType : int32_t {
  kChangeProfile = 0,
  kRunApplication = 1,
  kStandby = 2,
  kHibernate = 3,
  kShutdown = 4,
};
inline constexpr int32_t kActionTypeCount = 5;

// `sources` bits: where an event is evaluated.
inline constexpr int32_t kOnAc = 1;
inline constexpr int32_t kOnBattery = 2;

// A calendar moment as the system's date-and-time record holds it, in local time.
struct CalendarTime {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t dayOfWeek = 0;  // 0 = Sunday
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};
static_assert(sizeof(CalendarTime) == 16);

struct EventRecord {
  int32_t enabled = 0;
  int32_t active = 0;  // engine-owned, as the next three
  std::array<char, kRecordNameSize> name{};
  int32_t type = static_cast<int32_t>(EventType::kApplicationRunning);
  int32_t sources = kOnAc | kOnBattery;
  uint32_t stateSince = 0;   // tick count of the last change of state
  uint32_t timeInState = 0;  // ms, as of the last evaluation
  std::array<uint8_t, kParameterSize> parameters{};
  int32_t reserved = 0;
};
static_assert(sizeof(EventRecord) == 320);
static_assert(offsetof(EventRecord, type) == 40 && offsetof(EventRecord, stateSince) == 48 &&
              offsetof(EventRecord, parameters) == 56 && offsetof(EventRecord, reserved) == 316);

struct ActionRecord {
  int32_t enabled = 0;
  int32_t active = 0;  // engine-owned
  std::array<char, kRecordNameSize> name{};
  int32_t type = static_cast<int32_t>(ActionType::kChangeProfile);
  int32_t eventIndex = -1;  // -1 = none
  int32_t onInactive = 0;   // 1: act while the event is inactive
  uint32_t delayMs = 0;     // how long the event must have held that state
  std::array<uint8_t, kParameterSize> parameters{};
};
static_assert(sizeof(ActionRecord) == 316);
static_assert(offsetof(ActionRecord, eventIndex) == 44 && offsetof(ActionRecord, parameters) == 56);

// Offsets within the parameter area.
inline constexpr size_t kStartTimeAt = 0;        // calendar types: CalendarTime
inline constexpr size_t kLastDifferenceAt = 16;  // calendar types: int64, engine-owned
inline constexpr size_t kRepeatOrDaysAt = 24;    // daily: period in s; weekly: day mask
inline constexpr size_t kProfileIndexAt = 0;     // change profile
inline constexpr size_t kRestoreProfileAt = 4;
inline constexpr size_t kSavedAcProfileAt = 8;
inline constexpr size_t kSavedBatteryProfileAt = 12;
inline constexpr size_t kSchemeIdSize = 16;

template <typename T>
T ReadParameter(const std::array<uint8_t, kParameterSize>& area, size_t at) {
  static_assert(std::is_trivially_copyable_v<T>);
  T value{};
  std::memcpy(&value, area.data() + at, sizeof(T));
  return value;
}
template <typename T>
void WriteParameter(std::array<uint8_t, kParameterSize>& area, size_t at, const T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::memcpy(area.data() + at, &value, sizeof(T));
}

// The text of a field up to its terminator, or the whole field when it has none.
template <size_t N>
std::string_view FieldText(const std::array<char, N>& field) {
  return {field.data(), strnlen(field.data(), N)};
}
inline std::string_view FieldText(const std::array<uint8_t, kParameterSize>& area) {
  return {reinterpret_cast<const char*>(area.data()),
          strnlen(reinterpret_cast<const char*>(area.data()), kParameterSize)};
}
// Writes `text`, cut to leave room for the terminator; the rest of the field is zero.
template <size_t N, typename Byte>
void SetFieldText(std::array<Byte, N>& field, std::string_view text) {
  field.fill(0);
  if (!text.empty()) std::memcpy(field.data(), text.data(), std::min(text.size(), N - 1));
}
// Puts a terminator at the field's end, so a record from outside never reads beyond it.
template <size_t N, typename Byte>
void TerminateField(std::array<Byte, N>& field) {
  field[N - 1] = 0;
}

// Whether `type` is one of the calendar types.
inline bool IsCalendar(int32_t type) {
  return type >= static_cast<int32_t>(EventType::kOneTime) &&
         type <= static_cast<int32_t>(EventType::kWeekly);
}

// What a freshly initialised slot holds.
inline EventRecord BlankEvent() {
  return EventRecord{};
}
inline ActionRecord BlankAction(ActionType type) {
  ActionRecord action;
  action.type = static_cast<int32_t>(type);
  if (type == ActionType::kChangeProfile) {
    WriteParameter<int32_t>(action.parameters, kProfileIndexAt, -1);
    WriteParameter<int32_t>(action.parameters, kSavedAcProfileAt, -1);
    WriteParameter<int32_t>(action.parameters, kSavedBatteryProfileAt, -1);
  }
  return action;
}

}  // namespace pacetta::addins
