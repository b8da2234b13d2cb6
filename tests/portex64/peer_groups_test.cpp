// Reading a peer's groups and start time from its process files, where a reused process
// number must not lend another user's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/test_support/temp_folder.h"
#include "tools/portex64/peer_credentials.h"

namespace pacetta::testing {
namespace {

class PeerGroupsTest : public ::testing::Test {
 protected:
  void Status(int pid, const std::string& text) {
    std::filesystem::create_directories(proc_.File(std::to_string(pid)));
    std::ofstream(proc_.File(std::to_string(pid) + "/status")) << text;
  }
  TempFolder proc_;
};

TEST_F(PeerGroupsTest, TheGroupsLineListsTheSupplementaryGroupsOfTheSameUser) {
  Status(42,
         "Name:\tpacetta\nUid:\t1000\t1000\t1000\t1000\nGid:\t100\t100\t100\t100\n"
         "Groups:\t4 24 27 1001 \n");
  const auto groups = portex::SupplementaryGroupsOf(42, 1000, proc_.Path());
  ASSERT_TRUE(groups);
  EXPECT_EQ(*groups, (std::vector<gid_t>{4, 24, 27, 1001}));

  Status(43, "Uid:\t1000\t1000\t1000\t1000\nGroups:\t\n");
  ASSERT_TRUE(portex::SupplementaryGroupsOf(43, 1000, proc_.Path()));
  EXPECT_TRUE(portex::SupplementaryGroupsOf(43, 1000, proc_.Path())->empty());
}

TEST_F(PeerGroupsTest, AnotherUserOrAGoneProcessLendsNoGroups) {
  Status(42, "Uid:\t1001\t1001\t1001\t1001\nGroups:\t1001 27\n");
  EXPECT_FALSE(portex::SupplementaryGroupsOf(42, 1000, proc_.Path()));
  EXPECT_FALSE(portex::SupplementaryGroupsOf(44, 1000, proc_.Path()));
}

TEST_F(PeerGroupsTest, TheStartTimeIsReadPastAnyNameOnlyForTheSameUser) {
  const auto stat = [](const std::string& name, int fields) {
    std::string text = "42 (" + name + ") S";
    for (int n = 4; n < 22 && n < 4 + fields; ++n) text += " 7";
    return text + (fields >= 18 ? " 123456 0 0\n" : "\n");
  };
  struct Case {
    std::string stat;
    std::string uidLine;
    std::optional<uint64_t> startTime;
  } cases[] = {
      {stat("pacetta", 18), "Uid:\t1000\t1000\t1000\t1000", 123456},
      {stat("a) S 1 2 (b", 18), "Uid:\t1000\t1000\t1000\t1000", 123456},
      {stat("pacetta", 18), "Uid:\t1000\t1001\t1000\t1000", std::nullopt},  // set-user
      {stat("pacetta", 5), "Uid:\t1000\t1000\t1000\t1000", std::nullopt},
  };
  for (const Case& c : cases) {
    Status(42, "Name:\tpacetta\n" + c.uidLine + "\n");
    std::ofstream(proc_.File("42/stat")) << c.stat;
    EXPECT_EQ(portex::StartTimeOf(42, 1000, proc_.Path()), c.startTime) << c.stat;
  }
  EXPECT_FALSE(portex::StartTimeOf(44, 1000, proc_.Path()));
}

TEST(PeerAllowedTest, TheGroupsTheKernelRecordedAtConnectDecideWithoutProc) {
  portex::HelperOptions options;
  options.allowUids = {1002};
  options.group = 4242;
  constexpr uid_t kHelperUser = 1001;
  // No such process: nothing can be read about it later, only what the socket says.
  constexpr pid_t kGone = 0x3FFFFFFF;
  const std::vector<gid_t> member{27, 4242}, other{27, 100};
  struct Case {
    uid_t uid;
    gid_t gid;
    std::optional<std::vector<gid_t>> groups;
    bool allowed;
  } cases[] = {
      {0, 0, other, true},              // root
      {kHelperUser, 100, other, true},  // the helper's own user
      {1002, 100, other, true},         // an allowed user
      {1003, 4242, other, true},        // the group as the primary group
      {1003, 100, member, true},        // ... or a supplementary one
      {1003, 100, other, false},
      {1003, 100, std::nullopt, false},  // an old kernel, and the process is gone
  };
  for (const Case& c : cases) {
    const portex::PeerCredentials peer{kGone, c.uid, c.gid, c.groups};
    EXPECT_EQ(portex::PeerAllowed(peer, options, kHelperUser), c.allowed) << c.uid << " " << c.gid;
  }
}

}  // namespace
}  // namespace pacetta::testing
