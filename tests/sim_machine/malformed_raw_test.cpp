// Raw dumps that are damaged or inconsistent are refused with the file and line named.
#include <gtest/gtest.h>

#include "platform/sim/machine/machine_file.h"
#include "tests/sim_machine/machine_test_support.h"

namespace pacetta::sim {
namespace {

constexpr const char* kLeaf0 = "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n";
constexpr const char* kLeaf1 = "CPUID 00000001: 00020FF0-00000800-00000001-078BFBFF\n";

TEST(MalformedRawDumps, EachFaultNamesFileAndLine) {
  struct Case {
    const char* what;
    std::string text;
    int line;
  };
  const std::string section0 = "------[ Logical CPU #0 ]------\n";
  const Case cases[] = {
      {"empty file", "", 1},
      {"only derived values", "------------------------------\nx86\n", 1},
      {"truncated line", std::string(kLeaf0) + "CPUID 00000001: 00020FF0-0000\n", 2},
      {"bad hex in the leaf",
       std::string(kLeaf0) + "CPUID 0000000G: 00020FF0-00000800-00000001-078BFBFF\n", 2},
      {"bad hex in a value",
       std::string(kLeaf0) + "basic_cpuid[1]=00020fg0 00000800 00000001 078bfbff\n", 2},
      {"value too long",
       std::string(kLeaf0) + "CPUID 00000001: 000020FF0-00000800-00000001-078BFBFF\n", 2},
      {"text after the values",
       std::string(kLeaf0) + "CPUID 00000001: 00020FF0-00000800-00000001-078BFBFF junk\n", 2},
      {"unknown leaf name",
       std::string(kLeaf0) + "extended_cpuid[1]=00000000 00000000 00000000 00000000\n", 2},
      {"unrecognised line", std::string(kLeaf0) + "Processor: AMD\n", 2},
      // Skipped lines are fine only while every processor keeps leaves 0 and 1.
      {"nothing but unrecognised lines", "Processor: AMD\nClock: 2000 MHz\n", 1},
      {"leaf 0 again in a headed section",
       section0 + kLeaf0 + kLeaf1 + "Thread #1\n" + kLeaf0 + kLeaf1, 5},
      {"group mask of two processors",
       std::string("Group: 0x00 Affinity mask: 0x0000000000000003\n") + kLeaf0 + kLeaf1, 1},
      {"duplicate section", section0 + kLeaf0 + section0 + kLeaf0, 3},
      {"leaves before the first section", std::string(kLeaf0) + section0 + kLeaf0, 2},
      {"section without leaf 0", section0 + kLeaf0 + "------[ Logical CPU #1 ]------\n" + kLeaf1,
       3},
      {"contradicting restatement",
       "basic_cpuid[0]=00000004 756e6547 6c65746e 49656e69\n"
       "basic_cpuid[4]=04000121 01c0003f 0000003f 00000001\n"
       "intel_fn4[0]=04000122 01c0003f 0000003f 00000001\n",
       3},
      {"contradicting sub-leaf remark",
       std::string(kLeaf0) + "CPUID 0000000D: 00000207-00000340-00000988-00000000 [SL 00]\n" +
           "CPUID 0000000D: 00000208-00000340-00000988-00000000 [SL 00]\n",
       3},
      {"repeated APIC id",
       section0 + kLeaf0 + kLeaf1 + "------[ Logical CPU #1 ]------\n" + kLeaf0 + kLeaf1, 4},
      {"more than 64 processors",
       "CPUID 00000000: 0000000B-756E6547-6C65746E-49656E69\n"
       "CPUID 0000000B: 00000001-00000002-00000100-00000000 [SL 00]\n"
       "CPUID 0000000B: 00000008-000000C8-00000201-00000000 [SL 01]\n",
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto parsed = ParseMachineText(c.text, "dumps/broken.test");
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.error().file, "dumps/broken.test");
    EXPECT_EQ(parsed.error().line, c.line) << parsed.error().ToString();
    EXPECT_FALSE(parsed.error().message.empty());
  }
}

// The program prints a refusal as this one line; text from the file or its name cannot
// break it into two.
TEST(MalformedRawDumps, ARefusalIsOneLineNamingFileLineAndReason) {
  const auto parsed = ParseMachineText("\x1b[2J\x7f\n", "dumps/broken.test");
  ASSERT_FALSE(parsed.ok());
  EXPECT_EQ(parsed.error().ToString(),
            "dumps/broken.test:1: not a CPUID dump: no line holds a CPUID leaf, and this one "
            "reads \"?[2J?\"");
  const MachineFileError whole{"dumps/odd\nname.test", 0, "the machine file cannot be read"};
  EXPECT_EQ(whole.ToString(), "dumps/odd?name.test: the machine file cannot be read");
}

TEST(MalformedRawDumps, RestatedLeavesAndBlankLinesAreAccepted) {
  const auto parsed = ParseMachineText(
      "\n  basic_cpuid[0]=00000004 756e6547 6c65746e 49656e69  \r\n"
      "basic_cpuid[4]=04000121 01c0003f 0000003f 00000001\r\n\r\n"
      "intel_fn4[0]=04000121 01c0003f 0000003f 00000001\r\n",
      "fine.test");
  EXPECT_TRUE(parsed.ok()) << parsed.error().ToString();
}

TEST(MalformedRawDumps, UnreadableFilesAreNamed) {
  testing::TempFolder folder;
  const auto missing = (folder.path() / "missing.test").string();
  const auto parsed = LoadMachineFile(missing);
  ASSERT_FALSE(parsed.ok());
  EXPECT_EQ(parsed.error().file, missing);
  EXPECT_EQ(parsed.error().line, 0);

  const auto empty = folder.Write("empty.test", "");
  const auto emptyParsed = LoadMachineFile(empty);
  ASSERT_FALSE(emptyParsed.ok());
  EXPECT_EQ(emptyParsed.error().file, empty);
  EXPECT_EQ(emptyParsed.error().line, 1);
}

}  // namespace
}  // namespace pacetta::sim
