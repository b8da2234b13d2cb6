#include "app/lifecycle/profile_command.h"

#include <gtest/gtest.h>

#include "app/window_messages.h"

namespace pacetta {
namespace {

constexpr int32_t kFour = 4;  // the fixed profiles only

ProfileSelection Command(ProfileSelection from, uint32_t wParam, int32_t lParam,
                         bool onBattery = false, int32_t count = kFour) {
  const auto result = SetProfileCommand(from, wParam, lParam, count, onBattery);
  EXPECT_TRUE(result.has_value());
  return result.value_or(ProfileSelection{-1, -1});
}

TEST(SetProfileCommand, AnIndexChangesTheSlotsTheSlotCodeNames) {
  const ProfileSelection from{1, 2};
  EXPECT_EQ(Command(from, 3, kProfileSlotAc).ac, 3);
  EXPECT_EQ(Command(from, 3, kProfileSlotAc).dc, 2);
  EXPECT_EQ(Command(from, 0, kProfileSlotBattery).dc, 0);
  EXPECT_EQ(Command(from, 0, kProfileSlotBattery).ac, 1);
  const ProfileSelection both = Command(from, 3, kProfileSlotBoth);
  EXPECT_EQ(both.ac, 3);
  EXPECT_EQ(both.dc, 3);
  // The slot of the current power source.
  EXPECT_EQ(Command(from, 3, kProfileSlotCurrent, /*onBattery=*/false).ac, 3);
  EXPECT_EQ(Command(from, 3, kProfileSlotCurrent, /*onBattery=*/true).dc, 3);
  EXPECT_EQ(Command(from, 3, kProfileSlotCurrent, /*onBattery=*/true).ac, 1);
}

TEST(SetProfileCommand, SteppingWrapsAndNeverReachesNoManagement) {
  EXPECT_EQ(Command({3, 3}, kProfileNext, kProfileSlotBoth).ac, 1);      // past the last: 1
  EXPECT_EQ(Command({1, 1}, kProfilePrevious, kProfileSlotBoth).ac, 3);  // below 1: the last
  EXPECT_EQ(Command({0, 0}, kProfilePrevious, kProfileSlotBoth).ac, 3);
  EXPECT_EQ(Command({0, 0}, kProfileNext, kProfileSlotBoth).ac, 1);
  EXPECT_EQ(Command({2, 2}, kProfileNext, kProfileSlotBoth).ac, 3);
  // With custom profiles the last one is the last custom profile.
  EXPECT_EQ(Command({1, 1}, kProfilePrevious, kProfileSlotBoth, false, 6).ac, 5);
  EXPECT_EQ(Command({5, 5}, kProfileNext, kProfileSlotBoth, false, 6).ac, 1);
}

TEST(SetProfileCommand, BothSlotsStepFromTheProfileInUse) {
  // On battery the profile in use is the battery one: both slots land after it.
  const ProfileSelection stepped = Command({1, 2}, kProfileNext, kProfileSlotBoth, true);
  EXPECT_EQ(stepped.ac, 3);
  EXPECT_EQ(stepped.dc, 3);
  // A single slot steps from its own profile.
  EXPECT_EQ(Command({1, 2}, kProfileNext, kProfileSlotAc, true).ac, 2);
}

TEST(SetProfileCommand, OutOfRangeIndicesAndSlotsAreRefused) {
  const ProfileSelection from{1, 2};
  EXPECT_FALSE(SetProfileCommand(from, 4, kProfileSlotBoth, kFour, false));
  EXPECT_FALSE(SetProfileCommand(from, 0x0FF, kProfileSlotBoth, kFour, false));
  EXPECT_FALSE(SetProfileCommand(from, 0x102, kProfileSlotBoth, kFour, false));
  EXPECT_FALSE(SetProfileCommand(from, 0xFFFFFFFFu, kProfileSlotBoth, kFour, false));
  EXPECT_FALSE(SetProfileCommand(from, 1, 4, kFour, false));
  EXPECT_FALSE(SetProfileCommand(from, 1, -1, kFour, false));
  // Nothing to step to without at least one managed profile.
  EXPECT_FALSE(SetProfileCommand(from, kProfileNext, kProfileSlotBoth, 1, false));
}

}  // namespace
}  // namespace pacetta
