#include "platform/linux/power_profiles.h"

#include <gtest/gtest.h>

#include "engine/profiles/profile.h"
#include "platform/linux/linux_os_power.h"
#include "platform/linux/name_uuid.h"
#include "platform/plan_guid.h"
#include "power/os_power_policy.h"
#include "tests/platform_linux/fake_logind.h"
#include "tests/platform_linux/fake_power_services.h"
#include "tests/test_support/temp_folder.h"

namespace pacetta::linux_os {
namespace {

using platform::PlanGuid;
using testing::FakeProfilesDaemon;
using testing::PrivateSystemBus;

const std::vector<PowerProfile> kThreeProfiles = {
    {"power-saver", "platform_profile"},
    {"balanced", "platform_profile"},
    {"performance", "intel_pstate"},
};

std::string Hex(const std::array<uint8_t, 20>& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

TEST(PowerProfiles, PlanGuidsAreNameBasedUuids) {
  // Published digests, the second one padded into a second block.
  EXPECT_EQ(Hex(Sha1("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(Hex(Sha1("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  // The standard's DNS namespace gives the widely quoted UUID of "python.org".
  const auto dns = ParseUuid("6ba7b810-9dad-11d1-80b4-00c04fd430c8");
  ASSERT_TRUE(dns);
  EXPECT_EQ(FormatUuid(NameUuid(*dns, "python.org")), "886313e1-3b8a-5372-9b90-0c9aee199e5d");
  // A profile's plan is that UUID of its name in the program's namespace, in the plans'
  // layout, so its text form reads the same.
  EXPECT_EQ(platform::FormatPlanGuid(ProfilePlanGuid("balanced")),
            "2fbfb586-8f92-5afd-885a-8c1f210fe42b");
  EXPECT_NE(ProfilePlanGuid("balanced"), ProfilePlanGuid("performance"));
  EXPECT_EQ(ProfileFriendlyName("power-saver"), "Power saver");
}

TEST(PowerProfiles, ProfilesArePlansAndTheActiveOneSwitchesThroughTheDaemon) {
  PrivateSystemBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  // The first name only: the newer one is asked first and must not be required.
  FakeProfilesDaemon daemon(kHadessProfiles, kThreeProfiles, "balanced");
  ASSERT_TRUE(daemon.Running());
  LinuxOsPower os;
  platform::PowerPlans* plans = os.Plans();
  ASSERT_NE(plans, nullptr);
  EXPECT_EQ(os.Legacy(), nullptr);

  std::vector<std::string> names, descriptions;
  for (uint32_t index = 0;; ++index) {
    const auto plan = plans->EnumeratePlan(index);
    if (plan.failed) {
      EXPECT_EQ(plan.systemError, platform::kPowerErrorNoMoreItems);
      break;
    }
    names.push_back(plans->FriendlyName(plan.value).value);
    descriptions.push_back(plans->Description(plan.value).value);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Power saver", "Balanced", "Performance"}));
  EXPECT_EQ(descriptions,
            (std::vector<std::string>{"platform_profile", "platform_profile", "intel_pstate"}));
  EXPECT_EQ(plans->ActivePlan().value, ProfilePlanGuid("balanced"));

  ASSERT_FALSE(plans->SetActivePlan(ProfilePlanGuid("performance")).failed);
  EXPECT_EQ(daemon.Active(), "performance");
  EXPECT_EQ(plans->ActivePlan().value, ProfilePlanGuid("performance"));

  const auto unknown = plans->SetActivePlan(ProfilePlanGuid("turbo"));
  EXPECT_TRUE(unknown.failed);
  EXPECT_EQ(unknown.systemError, platform::kPowerErrorFileNotFound);
  EXPECT_EQ(daemon.Active(), "performance");

  daemon.RefuseSwitches();
  const auto refused = plans->SetActivePlan(ProfilePlanGuid("power-saver"));
  EXPECT_TRUE(refused.failed);
  EXPECT_EQ(refused.systemError, platform::kPowerErrorAccessDenied);
  EXPECT_EQ(daemon.Active(), "performance");
}

TEST(PowerProfiles, WhatProfilesLackFailsWithAnErrorCode) {
  PrivateSystemBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  FakeProfilesDaemon daemon(kUpowerProfiles, kThreeProfiles, "balanced");
  auto plans = PowerProfilePlans::Connect();
  ASSERT_NE(plans, nullptr);
  const PlanGuid plan = ProfilePlanGuid("balanced");
  const platform::PowerCall calls[] = {
      plans->ReadValue(plan, {}, platform::PlanValue::kAc),
      plans->WriteValue(plan, {}, platform::PlanValue::kAc, 100),
      plans->Duplicate(plan),
      plans->WriteFriendlyName(plan, "x"),
      plans->WriteDescription(plan, "x"),
      plans->DeletePlan(plan),
  };
  for (const auto& call : calls) {
    EXPECT_TRUE(call.failed);
    EXPECT_EQ(call.systemError, kPowerErrorNotSupported);
  }
}

TEST(PowerProfiles, ADaemonAbsentAtStartGivesNoPlansForTheWholeRun) {
  PrivateSystemBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  LinuxOsPower os;
  EXPECT_EQ(os.Plans(), nullptr);
  FakeProfilesDaemon late(kUpowerProfiles, kThreeProfiles, "balanced");
  ASSERT_TRUE(late.Running());
  EXPECT_EQ(os.Plans(), nullptr) << "chosen once, at start";
}

// The program's policy over the real backend: Linux offers only the newer generation,
// whatever version is reported; the program's own plan cannot be made, but a profile
// naming a system plan switches to it and the exit puts the start profile back.
TEST(PowerProfiles, ThePolicyActivatesAProfilesPlanAndRestoresTheStartOne) {
  PrivateSystemBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  FakeProfilesDaemon daemon(kUpowerProfiles, kThreeProfiles, "balanced");
  testing::TempFolder noBacklight;
  LinuxOsPower os{SysfsRoot(noBacklight.Path())};
  power::OsPowerPolicy policy(&os, 5);
  EXPECT_EQ(policy.Generation(), power::PowerGeneration::kPlans);

  EXPECT_NE(policy.EnumerateSchemes(true), power::kPowerOk) << "no plan of the program's";
  EXPECT_FALSE(policy.HasOwnScheme());
  ASSERT_EQ(policy.SchemeCount(), 3);
  EXPECT_EQ(policy.Scheme(2)->name, "Performance");
  EXPECT_EQ(policy.SchemeIndexOf(ProfilePlanGuid("power-saver")), 0);

  Profile profile;
  profile.osLink = ProfilePlanGuid("performance");
  EXPECT_EQ(policy.ActivateProfile(profile), power::kPowerOk);
  EXPECT_EQ(daemon.Active(), "performance");
  power::SchemeId active{};
  EXPECT_EQ(policy.GetActiveSchemeId(active), power::kPowerOk);
  EXPECT_EQ(active, ProfilePlanGuid("performance"));

  EXPECT_EQ(policy.RestoreAtExit(true), power::kPowerOk);
  EXPECT_EQ(daemon.Active(), "balanced");
}

}  // namespace
}  // namespace pacetta::linux_os
