#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/updates/package_rig.h"
#include "updates/install_plan.h"

namespace pacetta::updates {
namespace {

using testing::PackageRig;
using testing::Snapshot;
using testing::WriteTextFile;
using Tree = std::map<std::string, std::string>;

// A program folder an earlier update already went over, and a package for it.
const Tree kProgram{
    {"pacetta", "v2 (x)"},   {"pacetta.bak", "v1 (x)"},   {"lang", "<dir>"},
    {"lang/de.qm", "de v2"}, {"notes.txt", "the user's"},
};

void Lay(const std::string& folder, const Tree& tree) {
  for (const auto& [name, content] : tree) {
    const std::string path = folder + "/" + name;
    if (content == "<dir>") {
      mkdir(path.c_str(), 0755);
      continue;
    }
    const bool executable = content.ends_with(" (x)");
    WriteTextFile(path, executable ? content.substr(0, content.size() - 4) : content);
    chmod(path.c_str(), executable ? 0755 : 0644);
  }
}

std::vector<platform::UnpackItem> PackageItems() {
  static const std::string program = "v3", de = "de v3", fr = "fr v3", tool = "tool v3";
  const auto bytes = [](const std::string& text) {
    return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  };
  return {{"pacetta", false, true, bytes(program)},
          {"lang/de.qm", false, false, bytes(de)},
          {"lang/fr.qm", false, false, bytes(fr)},
          {"tools/helper", false, true, bytes(tool)}};
}

// Unpacks the package and plans its install over kProgram.
InstallPlan Prepare(PackageRig& rig) {
  Lay(rig.Program(), kProgram);
  std::string detail;
  EXPECT_TRUE(rig.Files().Unpack(rig.Unpack(), PackageItems(), detail)) << detail;
  InstallPlan plan = PlanInstall(*rig.Files().List(rig.Unpack()), *rig.Files().List(rig.Program()));
  EXPECT_FALSE(plan.refusal.has_value()) << *plan.refusal;
  return plan;
}

TEST(PackageInstall, ReplacedFilesAreKeptAsBackupsUntilCleanedUp) {
  PackageRig rig;
  const InstallPlan plan = Prepare(rig);
  const auto outcome = rig.Files().Install(rig.Unpack(), rig.Program(), plan.steps);
  ASSERT_EQ(outcome.result, platform::InstallOutcome::Result::kInstalled) << outcome.detail;
  EXPECT_EQ(Snapshot(rig.Program()), (Tree{
                                         {"pacetta", "v3 (x)"},
                                         {"pacetta.bak", "v2 (x)"},
                                         {"lang", "<dir>"},
                                         {"lang/de.qm", "de v3"},
                                         {"lang/de.qm.bak", "de v2"},
                                         {"lang/fr.qm", "fr v3"},
                                         {"tools", "<dir>"},
                                         {"tools/helper", "tool v3 (x)"},
                                         {"notes.txt", "the user's"},
                                     }));

  // Cleaning up deletes backups alone, and a link named like one as a link.
  WriteTextFile(rig.Outside("kept.bak"), "outside");
  symlink(rig.Outside("kept.bak").c_str(), (rig.Program() + "/lang/link.bak").c_str());
  mkdir((rig.Program() + "/folder.bak").c_str(), 0755);
  EXPECT_TRUE(rig.Files().RemoveBackups(rig.Program()));
  EXPECT_EQ(Snapshot(rig.Program()), (Tree{
                                         {"pacetta", "v3 (x)"},
                                         {"lang", "<dir>"},
                                         {"lang/de.qm", "de v3"},
                                         {"lang/fr.qm", "fr v3"},
                                         {"tools", "<dir>"},
                                         {"tools/helper", "tool v3 (x)"},
                                         {"notes.txt", "the user's"},
                                         {"folder.bak", "<dir>"},
                                     }));
  EXPECT_TRUE(std::filesystem::exists(rig.Outside("kept.bak")));
}

TEST(PackageInstall, AFailedStepPutsEveryFileBack) {
  {
    SCOPED_TRACE("a folder in the way, found only while installing");
    PackageRig rig;
    const InstallPlan plan = Prepare(rig);
    ASSERT_EQ(mkdir((rig.Program() + "/lang/fr.qm").c_str(), 0755), 0);
    const Tree program = Snapshot(rig.Program());
    const Tree package = Snapshot(rig.Unpack());
    const auto outcome = rig.Files().Install(rig.Unpack(), rig.Program(), plan.steps);
    EXPECT_EQ(outcome.result, platform::InstallOutcome::Result::kRolledBack);
    ASSERT_LT(outcome.failedStep, plan.steps.size());
    EXPECT_EQ(plan.steps[outcome.failedStep].action.toName, "lang/fr.qm");
    EXPECT_NE(outcome.detail.find("lang/fr.qm"), std::string::npos) << outcome.detail;
    EXPECT_EQ(Snapshot(rig.Program()), program);
    EXPECT_EQ(Snapshot(rig.Unpack()), package);
  }
  // A failure after any number of completed steps: each of them is taken back.
  const platform::InstallStep failing{
      {platform::FileAction::Kind::kMove, platform::UpdateFolder::kPackage, "missing",
       platform::UpdateFolder::kProgram, "missing"},
      {}};
  for (size_t done = 0;; ++done) {
    PackageRig rig;
    std::vector<platform::InstallStep> steps = Prepare(rig).steps;
    if (done > steps.size()) break;
    SCOPED_TRACE("after " + std::to_string(done) + " steps");
    steps.resize(done);
    steps.push_back(failing);
    const Tree program = Snapshot(rig.Program());
    const Tree package = Snapshot(rig.Unpack());
    const auto outcome = rig.Files().Install(rig.Unpack(), rig.Program(), steps);
    EXPECT_EQ(outcome.result, platform::InstallOutcome::Result::kRolledBack) << outcome.detail;
    EXPECT_EQ(outcome.failedStep, done);
    EXPECT_EQ(Snapshot(rig.Program()), program);
    EXPECT_EQ(Snapshot(rig.Unpack()), package);
  }
}

TEST(PackageInstall, PlansThatCannotWorkAreRefused) {
  struct Case {
    const char* what;
    platform::FolderListing package, program;
  } cases[] = {
      {"a package file named like a backup", {{"pacetta.bak"}, {}}, {{}, {}}},
      {"a program folder where a file goes", {{"lang"}, {}}, {{}, {"lang"}}},
      {"a program folder where a backup goes", {{"pacetta"}, {}}, {{"pacetta"}, {"pacetta.bak"}}},
      {"a program file where a folder goes", {{"lang/de.qm"}, {"lang"}}, {{"lang"}, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const InstallPlan plan = PlanInstall(c.package, c.program);
    EXPECT_TRUE(plan.refusal.has_value());
    EXPECT_TRUE(plan.steps.empty());
  }
}

}  // namespace
TEST(PackageInstall, OnlyAFolderTheUserMayChangeAndNoSystemFolderTakesUpdates) {
  PackageRig rig;
  const struct {
    std::string folder;
    bool replaceable;
  } cases[] = {{rig.Program(), true},
               {rig.Outside("missing"), false},
               {"/usr/lib/pacetta", false},
               {"/usr/bin", false},
               {"", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(rig.Files().CanReplaceIn(c.folder), c.replaceable) << c.folder;
  }
}

}  // namespace pacetta::updates
