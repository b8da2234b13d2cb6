#include "platform/sim/driver/sim_faults.h"

#include <gtest/gtest.h>

namespace pacetta::sim {
namespace {

TEST(SimFaultsParse, EveryNameSetsItsFault) {
  const auto parsed = ParseSimFaults(
      "no-driver-file, manager-refused,create-fails,open-fails,start-fails,status-fails,"
      "device-fails,start-pending=3,start-wait-hint=0x1F4,start-checkpoint=stuck,version=2.5,"
      "fail-request=0x80002030,fail-request=2147491892,fail-msr-read=0x198,"
      "fail-msr-write=0x199,fail-msr=0x19A");
  ASSERT_TRUE(parsed.faults) << parsed.error;
  const SimFaults& f = *parsed.faults;
  EXPECT_TRUE(f.driverFileMissing && f.managerRefused && f.createFails && f.openFails &&
              f.startFails && f.statusFails && f.deviceOpenFails);
  EXPECT_EQ(f.startPendingQueries, 3u);
  EXPECT_EQ(f.startWaitHintMs, 500u);
  EXPECT_FALSE(f.checkPointGrows);
  EXPECT_EQ(f.version, (std::pair<uint32_t, uint32_t>{2, 5}));
  EXPECT_EQ(f.failingRequests, (std::set<uint32_t>{0x80002030, 0x80002034}));
  EXPECT_EQ(f.failingMsrReads, (std::set<uint32_t>{0x198, 0x19A}));
  EXPECT_EQ(f.failingMsrWrites, (std::set<uint32_t>{0x199, 0x19A}));
}

TEST(SimFaultsParse, EmptyTextAndEmptyItemsGiveNoFaults) {
  for (const char* text : {"", " ", ",,"}) {
    const auto parsed = ParseSimFaults(text);
    ASSERT_TRUE(parsed.faults) << text;
    EXPECT_FALSE(parsed.faults->managerRefused);
    EXPECT_EQ(parsed.faults->startPendingQueries, 0u);
    EXPECT_FALSE(parsed.faults->version);
  }
}

TEST(SimFaultsParse, MistakesAreNamedInTheError) {
  const struct {
    const char* text;
    const char* mentions;
  } cases[] = {
      {"manager-refused,no-such-fault", "unknown simulated fault 'no-such-fault'"},
      {"version", "needs a value"},
      {"version=1", "MAJOR.MINOR"},
      {"version=1.x", "MAJOR.MINOR"},
      {"start-pending=-1", "is not a number"},
      {"fail-request=0x", "is not a number"},
      {"fail-msr=0x1G", "is not a number"},
      {"start-pending=99999999999", "is not a number"},
      {"start-checkpoint=sometimes", "'grow' or 'stuck'"},
      {"open-fails=1", "takes no value"},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseSimFaults(c.text);
    EXPECT_FALSE(parsed.faults) << c.text;
    EXPECT_NE(parsed.error.find(c.mentions), std::string::npos) << c.text << ": " << parsed.error;
  }
  // The unknown-name error lists what is known.
  EXPECT_NE(ParseSimFaults("bogus").error.find("fail-request="), std::string::npos);
}

TEST(SimFaultsParse, MissingDriverFileHidesOnlyTheDriver) {
  SimFaults faults;
  EXPECT_FALSE(faults.HidesFile("/opt/pacetta/Portex64"));
  faults.driverFileMissing = true;
  EXPECT_TRUE(faults.HidesFile("/opt/pacetta/Portex64"));
  EXPECT_TRUE(faults.HidesFile("C:\\Pacetta\\Portex32.sys"));
  EXPECT_FALSE(faults.HidesFile("/opt/pacetta/pacetta"));
  EXPECT_FALSE(faults.HidesFile("/opt/pacetta/Portex64.bak"));
}

}  // namespace
}  // namespace pacetta::sim
