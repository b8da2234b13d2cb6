// The text layouts that dumping tools write, each as the tool lays out two processors of
// one Core 2 Duo (leaf 4 with two sub-leaves) with one line of its own among the leaves.
#include <gtest/gtest.h>

#include "platform/sim/machine/cpuid_fields.h"
#include "platform/sim/machine/machine_file.h"
#include "tests/sim_machine/machine_test_support.h"

namespace pacetta::sim {
namespace {

struct Layout {
  const char* what;
  const char* text;
  int unknownLine;  // the line that is no part of any dump layout
};

const Layout kLayouts[] = {
    {"sections by affinity mask; sub-leaves by remark, then by repetition",
     "CPU#000 AffMask: 0x0000000000000001\n"
     "CPUID 00000000: 0000000A-756E6547-6C65746E-49656E69 [GenuineIntel]\n"
     "CPUID 00000001: 000006FB-00020800-0000E3BD-BFEBFBFF\n"
     "CPUID 00000004: 04000121-01C0003F-0000003F-00000001 [SL 00]\n"
     "CPUID 00000004: 04000143-03C0003F-00000FFF-00000001 [SL 01]\n"
     "CPUID 80000000: 80000008-00000000-00000000-00000000\n"
     "\n"
     "CPU#001 AffMask: 0x0000000000000002\n"
     "CPUID 00000000: 0000000A-756E6547-6C65746E-49656E69 [GenuineIntel]\n"
     "CPUID 00000001: 000006FB-01020800-0000E3BD-BFEBFBFF\n"
     "CPUID 00000004: 04000121-01C0003F-0000003F-00000001\n"
     "CPUID 00000004: 04000143-03C0003F-00000FFF-00000001\n"
     "CPUID 80000000: 80000008-00000000-00000000-00000000\n"
     "PerformanceFrequency = 2666000000\n",
     14},
    {"sections between underscores, indexed leaves",
     "version=0.7.0\n"
     "_________________ Logical CPU #0 _________________\n"
     "basic_cpuid[0]=0000000a 756e6547 6c65746e 49656e69\n"
     "basic_cpuid[1]=000006fb 00020800 0000e3bd bfebfbff\n"
     "ext_cpuid[0]=80000008 00000000 00000000 00000000\n"
     "intel_fn4[0]=04000121 01c0003f 0000003f 00000001\n"
     "intel_fn4[1]=04000143 03c0003f 00000fff 00000001\n"
     "_________________ Logical CPU #1 _________________\n"
     "basic_cpuid[0]=0000000a 756e6547 6c65746e 49656e69\n"
     "basic_cpuid[1]=000006fb 01020800 0000e3bd bfebfbff\n"
     "basic_cpuid[4]=04000121 01c0003f 0000003f 00000001\n"
     "ext_cpuid[0]=80000008 00000000 00000000 00000000\n"
     "intel_fn4[0]=04000121 01c0003f 0000003f 00000001\n"
     "intel_fn4[1]=04000143 03c0003f 00000fff 00000001\n"
     "--------------------------------------------------------------------------------\n"
     "x86\n",
     1},
    {"sections by processor group and mask, words between blanks",
     "Group: 0x00 Affinity mask: 0x0000000000000001\n"
     "CPUID 00000000: 0000000A 756E6547 6C65746E 49656E69\n"
     "CPUID 00000001: 000006FB 00020800 0000E3BD BFEBFBFF\n"
     "MSR 0000001B: 0000-0000-FEE0-0900\n"
     "CPUID 00000004: 04000121 01C0003F 0000003F 00000001\n"
     "CPUID 00000004: 04000143 03C0003F 00000FFF 00000001\n"
     "CPUID 80000000: 80000008 00000000 00000000 00000000\n"
     "Group: 0x00 Affinity mask: 0x0000000000000002\n"
     "CPUID 00000000: 0000000A 756E6547 6C65746E 49656E69\n"
     "CPUID 00000001: 000006FB 01020800 0000E3BD BFEBFBFF\n"
     "CPUID 00000004: 04000121 01C0003F 0000003F 00000001\n"
     "CPUID 00000004: 04000143 03C0003F 00000FFF 00000001\n"
     "CPUID 80000000: 80000008 00000000 00000000 00000000\n",
     4},
    {"short headers, lower-case digits, the colon after a blank",
     "CPU 0:\n"
     "CPUID 00000000 :0000000a-756e6547-6c65746e-49656e69\n"
     "CPUID 00000001 :000006fb-00020800-0000e3bd-bfebfbff\n"
     "CPUID 00000004 :04000121-01c0003f-0000003f-00000001\n"
     "CPUID 00000004 :04000143-03c0003f-00000fff-00000001\n"
     "CPUID 80000000 :80000008-00000000-00000000-00000000\n"
     "CPU 1:\n"
     "CPUID 00000000 :0000000a-756e6547-6c65746e-49656e69\n"
     "CPUID 00000001 :000006fb-01020800-0000e3bd-bfebfbff\n"
     "CPUID 00000004 :04000121-01c0003f-0000003f-00000001\n"
     "CPUID 00000004 :04000143-03c0003f-00000fff-00000001\n"
     "CPUID 80000000 :80000008-00000000-00000000-00000000\n"
     "CPU Clock (Normal)  \t2666 MHz\n",
     13},
    {"no headers: each leaf 0 begins the next processor",
     "CPUID 00000000: 0000000A-756E6547-6C65746E-49656E69\n"
     "CPUID 00000001: 000006FB-00020800-0000E3BD-BFEBFBFF\n"
     "CPUID 00000004: 04000121-01C0003F-0000003F-00000001\n"
     "CPUID 00000004: 04000143-03C0003F-00000FFF-00000001\n"
     "CPUID 80000000: 80000008-00000000-00000000-00000000\n"
     "allcpu: Valid\n"
     "CPUID 00000000: 0000000A-756E6547-6C65746E-49656E69\n"
     "CPUID 00000001: 000006FB-01020800-0000E3BD-BFEBFBFF\n"
     "CPUID 00000004: 04000121-01C0003F-0000003F-00000001\n"
     "CPUID 00000004: 04000143-03C0003F-00000FFF-00000001\n"
     "CPUID 80000000: 80000008-00000000-00000000-00000000\n",
     6},
};

TEST(RawLayouts, EveryLayoutGivesTheSameTwoProcessorsAndNamesTheLineItSkipped) {
  const auto reference = ParseMachineText(kLayouts[0].text, "dump.txt");
  ASSERT_TRUE(reference.ok()) << reference.error().ToString();
  for (const Layout& layout : kLayouts) {
    SCOPED_TRACE(layout.what);
    const auto parsed = ParseMachineText(layout.text, "dump.txt");
    ASSERT_TRUE(parsed.ok()) << parsed.error().ToString();
    const auto& processors = parsed.value().processors;
    ASSERT_EQ(processors.size(), 2u);
    for (uint32_t k = 0; k < 2; ++k) {
      EXPECT_EQ(processors[k].apicId, k);
      EXPECT_EQ(LeafOf(processors[k].leaves, 4, 1).eax, 0x04000143u);
      EXPECT_TRUE(
          testing::SameLeaves(processors[k].leaves, reference.value().processors[k].leaves));
    }
    ASSERT_EQ(parsed.value().notices.size(), 1u);
    const std::string where = "dump.txt:" + std::to_string(layout.unknownLine) + ": ";
    EXPECT_EQ(parsed.value().notices[0].rfind(where + "skipped 1 line", 0), 0u)
        << parsed.value().notices[0];
  }
}

TEST(RawLayouts, SkippedLinesAreCountedInOneNoticeThatQuotesTheFirst) {
  const auto parsed = ParseMachineText(
      "------[ Versions ]------\n"
      "Program Version : 1.0\n"
      "------[ Logical CPU #0 ]------\n"
      "allcpu: Valid\n"
      "CPUID 00000000: 00000001-68747541-444D4163-69746E65\n"
      "CPUID 00000001: 00000F51-00000881-00000000-078BFBFF\n"
      "------[ MSR Registers ]------\n"
      "MSR C0010015: 0000-0000-0600-0040\n",
      "sledgehammer.txt");
  ASSERT_TRUE(parsed.ok()) << parsed.error().ToString();
  EXPECT_EQ(parsed.value().processors.size(), 1u);
  ASSERT_EQ(parsed.value().notices.size(), 1u);
  EXPECT_EQ(parsed.value().notices[0],
            "sledgehammer.txt:1: skipped 5 lines that are not part of a CPUID dump, the first: "
            "\"------[ Versions ]------\"");
}

}  // namespace
}  // namespace pacetta::sim
