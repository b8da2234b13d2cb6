#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "model_rig.h"
#include "platform/sim/catalogue/catalogue.h"
#include "platform/sim/machine/machine_file.h"
#include "platform/sim/models/power_on_data.h"

namespace pacetta::sim::testing {
namespace {

TEST(AttachModels, EachProcessorHasItsOwnModel) {
  ModelRig rig({AthlonVenice().Build(), AthlonVenice().Build()});
  ASSERT_TRUE(rig.Write(0xC0010041, 2000ull << 32 | 0x10000 | 0x06 << 8 | 0x0A, 1));
  ASSERT_TRUE(rig.Write(0xC0010041, 2000ull << 32 | 0x10000 | 0x06 << 8 | 0x08, 1));
  rig.Advance(20'000);
  EXPECT_EQ(rig.State(0).current.fid, 0x0Cu);
  EXPECT_EQ(rig.State(1).current.fid, 0x0Au);
  const auto violations = rig.Violations();
  ASSERT_EQ(violations.size(), 1u);
  EXPECT_EQ(violations[0].processor, 1u);
}

TEST(AttachModels, TheBankForgetsTheRegistersAModelAnswers) {
  ModelRig rig(AthlonVenice().Build({{0xC0010042, 0x0A0C0C}, {0x10, 77}}));
  rig.Hardware().Bank(0)->WithStorage([](MsrStorage& storage) {
    EXPECT_FALSE(storage.Has(0xC0010042));
    EXPECT_TRUE(storage.Has(0x10));
  });
  EXPECT_EQ(rig.Read(0x10), 77u);
}

TEST(AttachModels, FamiliesWithoutAModelKeepTheirRegistersAbsent) {
  ModelRig rig(CpuBuilder("GenuineIntel", 0x68A, "").Features(0, 0x0383FBFF).Build());
  EXPECT_EQ(rig.Models().Model(0), nullptr);
  EXPECT_FALSE(rig.Models().State(0).has_value());
  uint64_t value = 0;
  EXPECT_FALSE(rig.TryRead(0x198, value));
  EXPECT_FALSE(rig.TryRead(0x1A0, value));
}

TEST(AttachModels, StateCanBeReadWhileTheProcessorIsDriven) {
  ModelRig rig(PentiumMDothan().Build());
  std::atomic<bool> done = false;
  std::thread reader([&] {
    while (!done) {
      const ModelState state = rig.Models().Model(0)->State();
      ASSERT_GE(state.current.fid, 6u);
    }
  });
  for (int i = 0; i < 2000; ++i) {
    ASSERT_TRUE(rig.Write(0x199, i % 2 == 0 ? 0x0612 : 0x1028));
    rig.Advance(10'000);
  }
  done = true;
  reader.join();
  EXPECT_EQ(rig.State().current, (OperatingPoint{16, 40}));
}

// Every real dump gets the model of its family, and the parts with published data get
// their row rather than a family rule.
TEST(AttachModels, RealDumpsChooseTheirFamilyAndPublishedData) {
  const std::filesystem::path folder =
      std::filesystem::path(PACETTA_SOURCE_DIR) / "../shared/cpuid";
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "no dumps at " << folder;
  struct Expectation {
    const char* file;
    ModelFamily family;
    const char* source;  // empty: a family rule
  };
  const Expectation expectations[] = {
      {"amd-athlon-64-processor-3200+", ModelFamily::kAmdK8, "Venice"},
      {"amd-athlon-64-x2-dual-core-processor-3800+", ModelFamily::kAmdK8, "Manchester"},
      {"amd-athlon-xp-3200+", ModelFamily::kAmdK7, "Athlon XP 3200+"},
      {"amd-duron-spitfire", ModelFamily::kAmdK7, "Duron"},
      {"amd-phenom-9500-quad-core-processor", ModelFamily::kNone, ""},
      {"amd-ryzen-7-5800h-with-radeon-graphics", ModelFamily::kAmdZen, "AMD Zen family rule"},
      {"amd-turion-64-mobile-technology-ml-34", ModelFamily::kAmdK8, "ML-34"},
      {"amd-turion-dual-core-rm-70", ModelFamily::kNone, ""},  // family 11h
      {"intel-core-duo-cpu-t2600", ModelFamily::kCoreDuo, "T2600"},
      {"intel-core2-duo-cpu-e6750", ModelFamily::kCore2, "E6750"},
      {"intel-core2-duo-cpu-t7500", ModelFamily::kCore2, "T7500"},
      {"intel-core2-quad-cpu-q6600", ModelFamily::kCore2, "Q6600"},
      {"intel-pentium-4-cpu-3.00ghz", ModelFamily::kPentium4, "Prescott"},
      {"intel-pentium-d-820", ModelFamily::kPentium4, "Pentium D 820"},
      {"intel-pentium-iii-coppermine", ModelFamily::kNone, ""},
      {"intel-pentium-m-processor-1.60ghz", ModelFamily::kPentiumM, "Dothan"},
      {"mobile-amd-sempron-processor-3300+", ModelFamily::kAmdK8, "Mobile Sempron 3300+"},
      {"mobile-intel-pentium-4-m-cpu", ModelFamily::kPentium4Model2, "4-M 2.20"},
      {"via-esther-processor-1500mhz", ModelFamily::kViaC7, "Esther"},
      {"via-nehemiah", ModelFamily::kNone, ""},
  };
  for (const Expectation& e : expectations) {
    auto loaded = LoadMachineFile((folder / (std::string(e.file) + ".test")).string());
    ASSERT_TRUE(loaded.ok()) << e.file;
    const MachineSpec machine = std::move(loaded).value();
    ASSERT_FALSE(machine.processors.empty()) << e.file;
    const ProcessorTraits traits = ClassifyProcessor(machine.processors[0].leaves);
    EXPECT_EQ(traits.family, e.family) << e.file;
    if (e.family == ModelFamily::kNone) continue;
    EXPECT_NE(PowerOnDataFor(traits).source.find(e.source), std::string::npos)
        << e.file << ": " << PowerOnDataFor(traits).source;
    DriverHardware hardware(machine, [] { return uint64_t{0}; });
    const ProcessorModels models = AttachProcessorModels(machine, hardware, [] { return 0; });
    for (unsigned k = 0; k < machine.processors.size(); ++k) {
      EXPECT_NE(models.Model(k), nullptr) << e.file << " processor " << k;
    }
  }
}

TEST(AttachModels, CatalogueMachinesRunAtTheirPublishedHighestState) {
  struct Expectation {
    const char* machine;
    ModelFamily family;
  };
  for (const Expectation& e : {Expectation{"k8-desktop", ModelFamily::kAmdK8},
                               Expectation{"k8-x2-laptop", ModelFamily::kAmdK8},
                               Expectation{"k7-mobile-laptop", ModelFamily::kAmdK7},
                               Expectation{"pentium-m-laptop", ModelFamily::kPentiumM},
                               Expectation{"core-duo-laptop", ModelFamily::kCoreDuo},
                               Expectation{"core2-duo-laptop", ModelFamily::kCore2},
                               Expectation{"pentium4-ht", ModelFamily::kPentium4},
                               Expectation{"via-c7", ModelFamily::kViaC7},
                               Expectation{"transmeta", ModelFamily::kTransmeta}}) {
    const auto machine = FindCatalogueMachine(e.machine);
    ASSERT_TRUE(machine.has_value()) << e.machine;
    DriverHardware hardware(*machine, [] { return uint64_t{0}; });
    const ProcessorModels models = AttachProcessorModels(*machine, hardware, [] { return 0; });
    for (unsigned k = 0; k < machine->processors.size(); ++k) {
      const auto state = models.State(k);
      ASSERT_EQ(state.has_value(), e.family != ModelFamily::kNone) << e.machine;
      if (!state) continue;
      EXPECT_EQ(state->family, e.family) << e.machine;
      const PowerOnData data = PowerOnDataFor(ClassifyProcessor(machine->processors[k].leaves));
      EXPECT_EQ(state->current, data.high) << e.machine << ": " << data.source;
      EXPECT_EQ(data.source.find("rule"), std::string::npos) << e.machine << ": " << data.source;
    }
  }
}

}  // namespace
}  // namespace pacetta::sim::testing
