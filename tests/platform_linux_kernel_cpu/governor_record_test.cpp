// The record of the governors a run switched: what it keeps, and what it does not trust.
#include "platform/linux/kernel_cpu/governor_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/test_support/temp_folder.h"

namespace pacetta::testing {
namespace {

using Taken = std::vector<platform::TakenGovernor>;

TEST(GovernorRecordTest, KeepsTheListAndAnEmptyListRemovesTheFile) {
  TempFolder folder;
  const linux_os::GovernorRecord record(folder.File("taken"));
  EXPECT_TRUE(record.Read().empty());
  const Taken taken = {{0, "ondemand"}, {12, "schedutil"}};
  ASSERT_TRUE(record.Write(taken));
  EXPECT_EQ(record.Read(), taken);
  ASSERT_TRUE(record.Write({{3, "conservative"}}));
  EXPECT_EQ(record.Read(), (Taken{{3, "conservative"}}));
  ASSERT_TRUE(record.Write({}));
  EXPECT_FALSE(std::filesystem::exists(folder.File("taken")));
  EXPECT_TRUE(record.Write({}));  // nothing to remove is no failure
  // A name the kernel could not have given is never written.
  EXPECT_FALSE(record.Write({{0, "../x"}}));
  EXPECT_FALSE(std::filesystem::exists(folder.File("taken")));
}

TEST(GovernorRecordTest, AMalformedFileIsNotTrusted) {
  for (const char* text : {"0 ondemand extra\n", "x ondemand\n", "0 On-Demand\n", "0\n",
                           "0 ondemand\n1 ../../etc/passwd\n"}) {
    SCOPED_TRACE(text);
    TempFolder folder;
    std::ofstream(folder.File("taken")) << text;
    EXPECT_TRUE(linux_os::GovernorRecord(folder.File("taken")).Read().empty());
  }
}

}  // namespace
}  // namespace pacetta::testing
