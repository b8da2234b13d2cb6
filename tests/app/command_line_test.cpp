#include "app/startup/command_line.h"

#include <gtest/gtest.h>

#include "app/main/program_options.h"

namespace pacetta {
namespace {

TEST(CommandLine, OneLeadingDashOrSlashAndAnyCaseSelectTheSameCommand) {
  for (const char* word : {"-PROFILE", "/profile", "profile", "-Profile"}) {
    const Command command = ParseCommand({word, "3"});
    EXPECT_EQ(command.kind, CommandKind::kProfile) << word;
    EXPECT_EQ(command.profile, 3u) << word;
  }
  EXPECT_EQ(ParseCommand({"--profile", "3"}).kind, CommandKind::kOther);
  EXPECT_EQ(ParseCommand({"//exit"}).kind, CommandKind::kOther);
  EXPECT_EQ(ParseCommand({"-?"}).kind, CommandKind::kHelp);
  EXPECT_EQ(ParseCommand({"/HELP"}).kind, CommandKind::kHelp);
  EXPECT_EQ(ParseCommand({"-Unload"}).kind, CommandKind::kUnload);
  EXPECT_EQ(ParseCommand({"-nextprofile"}).kind, CommandKind::kNextProfile);
  EXPECT_EQ(ParseCommand({"-prevprofile"}).kind, CommandKind::kPrevProfile);
  EXPECT_EQ(ParseCommand({"-resume"}).kind, CommandKind::kResume);
  EXPECT_EQ(ParseCommand({"-exit", "-help"}).kind, CommandKind::kExit) << "only the first counts";
  EXPECT_EQ(ParseCommand({}).kind, CommandKind::kNone);
  EXPECT_EQ(ParseCommand({"-"}).kind, CommandKind::kOther);
}

TEST(CommandLine, AProfileWithoutItsNumberIsLikeNoArgument) {
  EXPECT_EQ(ParseCommand({"-profile"}).kind, CommandKind::kNone);
  // The number is read as the C library reads a decimal: leading digits only.
  EXPECT_EQ(ParseCommand({"-profile", "12abc"}).profile, 12u);
  EXPECT_EQ(ParseCommand({"-profile", "x"}).profile, 0u);
}

TEST(ProgramOptions, OwnOptionsAreSeparatedFromTheCommand) {
  std::string error;
  auto options = ParseProgramOptions(
      {"--simulate=pentium4-ht", "-profile", "2", "--console", "--answer=no", "--sim-fault=x"},
      error);
  ASSERT_TRUE(options) << error;
  EXPECT_TRUE(options->simulate);
  EXPECT_EQ(options->machine, "pentium4-ht");
  EXPECT_TRUE(options->console);
  EXPECT_EQ(options->answer, platform::MessageAnswer::kNo);
  EXPECT_EQ(options->commandArguments, (std::vector<std::string>{"-profile", "2"}));
  // A restart keeps the platform and front end, not the one-run choices.
  EXPECT_EQ(options->restartArguments,
            (std::vector<std::string>{"--simulate=pentium4-ht", "--console"}));
}

TEST(ProgramOptions, UnknownOptionsAndBadValuesAreRefusedWithTheirName) {
  std::string error;
  EXPECT_FALSE(ParseProgramOptions({"--simulat=x"}, error));
  EXPECT_NE(error.find("--simulat=x"), std::string::npos);
  EXPECT_FALSE(ParseProgramOptions({"--answer=maybe"}, error));
  EXPECT_NE(error.find("maybe"), std::string::npos);
  EXPECT_FALSE(ParseProgramOptions({"--sim-affinity=0x1z"}, error));
  EXPECT_FALSE(ParseProgramOptions({"--console=yes"}, error));
  auto plain = ParseProgramOptions({"--simulate", "--sim-affinity=0x3"}, error);
  ASSERT_TRUE(plain);
  EXPECT_TRUE(plain->machine.empty());
  EXPECT_EQ(plain->simAffinity, 3u);
}

}  // namespace
}  // namespace pacetta
