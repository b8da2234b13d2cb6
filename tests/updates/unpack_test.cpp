#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "platform/linux/helper_socket.h"
#include "platform/linux/package_unpack.h"
#include "tests/updates/package_rig.h"

namespace pacetta::updates {
namespace {

using testing::PackageRig;
using testing::Snapshot;
using Tree = std::map<std::string, std::string>;

const std::vector<platform::UnpackItem>& Items() {
  static const std::string tool = "tool", readme = "readme";
  static const std::vector<platform::UnpackItem> items{
      {"bin", true, false, {}},
      {"bin/tool", false, true, {reinterpret_cast<const uint8_t*>(tool.data()), tool.size()}},
      {"README", false, false, {reinterpret_cast<const uint8_t*>(readme.data()), readme.size()}},
  };
  return items;
}

// Something outside the package folder that a planted link points at.
void MakeOutside(PackageRig& rig) {
  mkdir(rig.Outside("secret").c_str(), 0755);
  testing::WriteTextFile(rig.Outside("secret/README"), "precious");
}

TEST(PackageUnpack, WhatAnEarlierRunLeftIsClearedAndNeverFollowed) {
  struct Case {
    const char* what;
    std::function<void(PackageRig&)> plant;
  } cases[] = {
      {"nothing there", [](PackageRig&) {}},
      {"leftover files",
       [](PackageRig& rig) {
         mkdir(rig.Unpack().c_str(), 0755);
         mkdir((rig.Unpack() + "/bin").c_str(), 0755);
         testing::WriteTextFile(rig.Unpack() + "/bin/tool", "old");
         testing::WriteTextFile(rig.Unpack() + "/stale", "old");
       }},
      {"the folder is a link",
       [](PackageRig& rig) { symlink(rig.Outside("secret").c_str(), rig.Unpack().c_str()); }},
      {"links inside",
       [](PackageRig& rig) {
         mkdir(rig.Unpack().c_str(), 0755);
         symlink(rig.Outside("secret").c_str(), (rig.Unpack() + "/bin").c_str());
         symlink(rig.Outside("secret/README").c_str(), (rig.Unpack() + "/README").c_str());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackageRig rig;
    MakeOutside(rig);
    c.plant(rig);
    std::string detail;
    ASSERT_TRUE(rig.Files().Unpack(rig.Unpack(), Items(), detail)) << detail;
    EXPECT_EQ(Snapshot(rig.Unpack()),
              (Tree{{"bin", "<dir>"}, {"bin/tool", "tool (x)"}, {"README", "readme"}}));
    EXPECT_EQ(Snapshot(rig.Outside("secret")), (Tree{{"README", "precious"}}));
  }
}

TEST(PackageUnpack, WritingRefusesLinksInTheWay) {
  // The links appear after the folder was cleared: the writes themselves must not follow.
  struct Case {
    const char* what;
    const char* link;
    const char* target;
  } cases[] = {
      {"a link to a folder", "bin", "secret"},
      {"a link to a file", "README", "secret/README"},
      {"a dangling link", "README", "secret/new"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackageRig rig;
    MakeOutside(rig);
    mkdir(rig.Unpack().c_str(), 0700);
    ASSERT_EQ(symlink(rig.Outside(c.target).c_str(), (rig.Unpack() + "/" + c.link).c_str()), 0);
    const linux_os::UniqueFd folder(open(rig.Unpack().c_str(), O_RDONLY | O_DIRECTORY));
    std::string detail;
    EXPECT_FALSE(linux_os::WriteItems(folder.Get(), Items(), detail));
    EXPECT_NE(detail.find("in the way"), std::string::npos) << detail;
    EXPECT_EQ(Snapshot(rig.Outside("secret")), (Tree{{"README", "precious"}}));
  }
}

}  // namespace
}  // namespace pacetta::updates
