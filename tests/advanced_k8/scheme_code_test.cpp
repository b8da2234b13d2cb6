// The transition scheme buttons and the "AMDK8.PSTMethod" code they store.
#include <gtest/gtest.h>

#include "cpu/advanced/k8/k8_scheme.h"

namespace pacetta {
namespace {

using k8::Scheme;

CpuInfo K8(bool hundredMhzSteps, int32_t maxFid) {
  CpuInfo cpu;
  cpu.isK8 = 1;
  cpu.maxFid = maxFid;
  cpu.extendedLeaves[7].edx = hundredMhzSteps ? 1u << 6 : 0;
  return cpu;
}

TEST(K8Scheme, ButtonsStoreTheirCodeAndTheCodeShowsItsButton) {
  struct Case {
    bool h;
    int32_t m;
    Scheme button;
    uint32_t code;
    Scheme shown;  // the button the stored code shows at the next start
  };
  const Case cases[] = {
      {false, 8, Scheme::kOfficialWhole, 8, Scheme::kOfficialWhole},
      {false, 10, Scheme::kOfficialWhole, 10, Scheme::kOfficialWhole},
      {false, 12, Scheme::kOfficialWhole, 10, Scheme::kOfficialWhole},
      {false, 16, Scheme::kOfficialWhole, 12, Scheme::kOfficialWhole},
      {false, 9, Scheme::kOfficialWhole, 14, Scheme::kOfficialWhole},
      {false, 22, Scheme::kOfficialWhole, 14, Scheme::kOfficialWhole},
      {true, 12, Scheme::kOfficialWhole, 27, Scheme::kOfficialHalf},
      {false, 9, Scheme::kOfficialHalf, 25, Scheme::kOfficialHalf},
      {false, 11, Scheme::kOfficialHalf, 26, Scheme::kOfficialHalf},
      {false, 15, Scheme::kOfficialHalf, 28, Scheme::kOfficialHalf},
      {false, 19, Scheme::kOfficialHalf, 30, Scheme::kOfficialHalf},
      {false, 20, Scheme::kOfficialHalf, 31, Scheme::kOfficialHalf},
      {false, 14, Scheme::kDirectWhole, 0, Scheme::kDirectWhole},
      // With 100 MHz steps the whole-FID direct button stores what the half-FID one does.
      {true, 14, Scheme::kDirectWhole, 16, Scheme::kDirectHalf},
      {false, 14, Scheme::kDirectHalf, 16, Scheme::kDirectHalf},
  };
  for (const Case& c : cases) {
    const CpuInfo cpu = K8(c.h, c.m);
    const std::string where = "h " + std::to_string(c.h) + " m " + std::to_string(c.m) +
                              " button " + std::to_string(static_cast<int>(c.button));
    EXPECT_EQ(k8::SchemeCode(c.button, cpu), c.code) << where;
    EXPECT_EQ(k8::SchemeOfProcessorValue(k8::ProcessorScheme(c.code, cpu)), c.shown) << where;
  }
}

// Applying the page with the scheme it shows must not count as a scheme change: the next
// save would throw the performance-state table and the fixed profiles' states away.
TEST(K8Scheme, OnlyAChangedSchemeChangesTheStoredCode) {
  struct Case {
    bool h;
    uint32_t storedCode;
    Scheme button;
    uint32_t codeAfter;
  };
  const Case cases[] = {
      {true, 0, Scheme::kDirectHalf, 0},  // both give the 100 MHz table
      {true, 8, Scheme::kOfficialHalf, 8},   {false, 0, Scheme::kDirectWhole, 0},
      {false, 0, Scheme::kDirectHalf, 16},   {false, 0, Scheme::kOfficialWhole, 12},
      {true, 16, Scheme::kOfficialHalf, 28},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(k8::CodeToStore(c.button, c.storedCode, K8(c.h, 14)), c.codeAfter)
        << "h " << c.h << " stored " << c.storedCode;
  }
}

}  // namespace
}  // namespace pacetta
