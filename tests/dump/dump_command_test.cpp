// `pacetta --dump=FILE`, run as a user runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/dump/dump_rig.h"
#include "tests/e2e/child_process.h"

namespace pacetta::testing {
namespace {

const std::string kProgram = std::string(PACETTA_BIN_DIR) + "/pacetta";

class DumpCommandTest : public ::testing::Test {
 protected:
  Finished Run(const std::vector<std::string>& arguments) {
    return RunToEnd(
        kProgram, arguments,
        {"PACETTA_RUNTIME_DIR=" + runtime_.Path(), "XDG_CONFIG_HOME=" + config_.Path()});
  }
  TempFolder runtime_;
  TempFolder config_;
  TempFolder files_;
};

TEST_F(DumpCommandTest, ReplacesTheFileWholeAndTheDumpRunsAsAMachine) {
  const std::string path = files_.File("cpuinfo.txt");
  std::ofstream(path) << std::string(100000, 'x');  // longer than any dump of this machine
  const Finished run = Run({"--simulate=k8-x2-laptop", "--dump=" + path});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  const std::string dump = ReadFile(path);
  EXPECT_EQ(dump.rfind("Tarvello CPU info dump\r\n", 0), 0u);
  EXPECT_EQ(dump.find('x'), std::string::npos) << "nothing of the old file is left";
  EXPECT_FALSE(std::filesystem::exists(path + ".partial"));

  const Finished again = Run({"--simulate=" + path, "--dump=" + files_.File("again.txt")});
  ASSERT_EQ(again.exitCode, 0) << again.errors;
  EXPECT_EQ(ReadFile(files_.File("again.txt")), dump);
}

TEST_F(DumpCommandTest, AFileThatCannotBeCreatedIsNamedWithTheReason) {
  const std::string inMissingFolder = files_.File("missing/cpuinfo.txt");
  for (const std::string& path : {inMissingFolder, files_.Path()}) {
    SCOPED_TRACE(path);
    const Finished run = Run({"--simulate=k8-x2-laptop", "--dump=" + path});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.errors, "pacetta: cannot write the diagnostic dump to " + path +
                              ": the folder is missing or read-only, the name is a folder or "
                              "access is denied\n");
  }
  EXPECT_FALSE(std::filesystem::exists(files_.File("missing")));
  EXPECT_FALSE(std::filesystem::exists(files_.Path() + ".partial"));
}

}  // namespace
}  // namespace pacetta::testing
