#include "app/lifecycle/profile_command.h"

#include "app/window_messages.h"

namespace pacetta {
namespace {

int32_t Step(int32_t from, bool next, int32_t count) {
  const int32_t last = count - 1;
  if (next) return from + 1 > last ? 1 : from + 1;
  return from - 1 < 1 ? last : from - 1;
}

}  // namespace

std::optional<ProfileSelection> SetProfileCommand(ProfileSelection selection, uint32_t wParam,
                                                  int32_t lParam, int32_t profileCount,
                                                  bool onBattery) {
  bool changeAc = false;
  bool changeDc = false;
  switch (lParam) {
    case kProfileSlotAc:
      changeAc = true;
      break;
    case kProfileSlotBattery:
      changeDc = true;
      break;
    case kProfileSlotBoth:
      changeAc = changeDc = true;
      break;
    case kProfileSlotCurrent:
      (onBattery ? changeDc : changeAc) = true;
      break;
    default:
      return std::nullopt;
  }
  // With fewer than two profiles there is nothing to step to but "No management".
  if (profileCount < 2) return std::nullopt;

  const bool stepping = wParam == kProfilePrevious || wParam == kProfileNext;
  if (!stepping && wParam >= static_cast<uint32_t>(profileCount)) return std::nullopt;
  const auto target = [&](int32_t from) {
    return stepping ? Step(from, wParam == kProfileNext, profileCount)
                    : static_cast<int32_t>(wParam);
  };
  // Both slots step from the profile in use, so that they end up on the same one.
  const int32_t current = selection.Current(onBattery);
  if (changeAc) selection.ac = target(changeDc ? current : selection.ac);
  if (changeDc) selection.dc = target(changeAc ? current : selection.dc);
  return selection;
}

}  // namespace pacetta
