// The main thread's arithmetic of a refresh: combined loads, means, texts, the gate.
#include <gtest/gtest.h>

#include <vector>

#include "engine/monitor/display_texts.h"
#include "engine/monitor/load_combination.h"
#include "engine/monitor/refresh_gate.h"
#include "engine/monitor/sample_means.h"
#include "tests/engine_monitor/sampler_rig.h"

namespace pacetta::testing {
namespace {

TEST(CombineLoads, CoreMethodsUseTheSiblingOrTheOwnLoad) {
  const std::vector<int32_t> all = {51, 50, 10, 0};
  EXPECT_EQ(CombineLoads(0, 51, 50, all), 51);
  EXPECT_EQ(CombineLoads(0, 40, std::nullopt, all), 40);
  EXPECT_EQ(CombineLoads(1, 51, 50, all), 50) << "halved, rounded down";
  EXPECT_EQ(CombineLoads(1, 51, std::nullopt, all), 51) << "no sibling: the own load";
  EXPECT_EQ(CombineLoads(2, 51, 50, all), 100) << "capped";
  EXPECT_EQ(CombineLoads(2, 30, 20, all), 50);
  EXPECT_EQ(CombineLoads(2, 30, std::nullopt, all), 30);
}

TEST(CombineLoads, AllProcessorMethods) {
  const std::vector<int32_t> fourAt40 = {40, 40, 40, 40};
  EXPECT_EQ(CombineLoads(5, 40, 40, fourAt40), 100) << "sum of 160 capped";
  EXPECT_EQ(CombineLoads(3, 0, std::nullopt, std::vector<int32_t>{0, 70, 20}), 70);
  EXPECT_EQ(CombineLoads(4, 0, std::nullopt, std::vector<int32_t>{0, 1}), 1) << "0.5 rounds up";
  EXPECT_EQ(CombineLoads(4, 0, std::nullopt, std::vector<int32_t>{0, 0, 1}), 0);
  EXPECT_EQ(CombineLoads(4, 10, std::nullopt, fourAt40), 40);
  EXPECT_EQ(CombineLoads(9, 33, 90, fourAt40), 33) << "an unknown method takes the own load";
}

CpuSample Sample(double cpuLoad, double osLoad, float temperature) {
  CpuSample sample;
  sample.cpuLoad = cpuLoad;
  sample.osLoad = osLoad;
  sample.temperature = temperature;
  return sample;
}

TEST(ComputeMeans, LeavesOutValuesThatAreNotAvailable) {
  const std::vector<CpuSample> mixed = {Sample(80, 60, 50.0f), Sample(-1, 20, -1.0f),
                                        Sample(40, 10, 60.0f)};
  const SampleMeans means = ComputeMeans(mixed);
  EXPECT_DOUBLE_EQ(means.cpuLoad, 60.0);
  EXPECT_DOUBLE_EQ(means.osLoad, 30.0) << "always available: every processor counts";
  EXPECT_DOUBLE_EQ(means.temperature, 55.0) << "a missing sensor does not cool the mean";

  const std::vector<CpuSample> none = {Sample(-1, 5, -1.0f), Sample(-1, 15, -2147483648.0f)};
  const SampleMeans unavailable = ComputeMeans(none);
  EXPECT_LT(unavailable.cpuLoad, 0.0);
  EXPECT_LT(unavailable.temperature, 0.0);
  EXPECT_DOUBLE_EQ(unavailable.osLoad, 10.0);
}

TEST(DisplayTexts, FormatsTheDisplayProcessorAndTheMeans) {
  CpuSample display;
  display.clock = 2000.0;
  display.throttle = 0.5;
  display.multiplier = 10.0f;
  display.voltage = 1.35f;
  SampleMeans means;
  means.temperature = 50.0;
  DisplayTexts texts = FormatDisplayTexts(display, means, 0, PowerSource::kAc, EnglishText);
  EXPECT_EQ(texts.clock, "1000.00 MHz") << "the clock the core works at";
  EXPECT_EQ(texts.multiplier, "10.0x");
  EXPECT_EQ(texts.voltage, "1.3500V");
  EXPECT_EQ(texts.temperature, "50.0\u00B0C");
  EXPECT_EQ(texts.powerSource, "AC power");

  texts = FormatDisplayTexts(display, means, 1, PowerSource::kBattery, EnglishText);
  EXPECT_EQ(texts.temperature, "122.0\u00B0F");
  EXPECT_EQ(texts.powerSource, "Battery");
}

TEST(DisplayTexts, ValuesThatAreNotAvailableShowNA) {
  CpuSample display;  // multiplier and voltage 0
  display.clock = -1.0;
  display.throttle = -1.0;
  SampleMeans means;  // temperature -1
  const DisplayTexts texts =
      FormatDisplayTexts(display, means, 1, PowerSource::kUnknown, EnglishText);
  EXPECT_EQ(texts.clock, "N/A");
  EXPECT_EQ(texts.multiplier, "N/A");
  EXPECT_EQ(texts.voltage, "N/A");
  EXPECT_EQ(texts.temperature, "N/A");
  EXPECT_EQ(texts.powerSource, "N/A");

  // A family without a busy counter has a measured clock but no throttle reading: the
  // clock the core works at is not known.
  display.clock = 1500.0;
  EXPECT_EQ(FormatDisplayTexts(display, means, 0, PowerSource::kAc, EnglishText).clock, "N/A");
}

TEST(OverheatBalloon, NamesTheThrottleLevelOrNA) {
  CpuSample display;
  display.throttle = 0.375;
  Balloon balloon = OverheatBalloon(display, EnglishText);
  EXPECT_EQ(balloon.title, "CPU core overheat detected");
  EXPECT_EQ(balloon.text, "Current CPU throttle level: 37.50%");
  EXPECT_EQ(balloon.timeoutMs, 10000u);
  display.throttle = -1.0;
  EXPECT_EQ(OverheatBalloon(display, EnglishText).text, "Current CPU throttle level: N/A");
}

TEST(SubstituteText, ATranslatedTextIsNeverAFormat) {
  EXPECT_EQ(SubstituteText("%n%d level %s %s", "12%"), "%n%d level 12% %s");
  EXPECT_EQ(SubstituteText("no place", "x"), "no place");
}

TEST(RefreshGate, ToleratesAnEarlyTimerAndSkipsADoubleTick) {
  RefreshGate gate;
  EXPECT_TRUE(gate.Admit(5000, 1000)) << "the first refresh always runs";
  EXPECT_TRUE(gate.Admit(5990, 1000)) << "10 ms early still refreshes";
  EXPECT_FALSE(gate.Admit(6000, 1000)) << "a second tick right after is skipped";
  EXPECT_FALSE(gate.Admit(6974, 1000)) << "984 ms after the last one";
  EXPECT_TRUE(gate.Admit(6975, 1000)) << "exactly the interval less 15 ms";
}

TEST(RefreshGate, FollowsTheTickCountAcrossItsWrap) {
  RefreshGate gate;
  EXPECT_TRUE(gate.Admit(0xFFFFFFA0u, 200));
  EXPECT_FALSE(gate.Admit(0x00000010u, 200)) << "112 ms later: too soon";
  EXPECT_TRUE(gate.Admit(0x00000060u, 200)) << "192 ms later";
}

}  // namespace
}  // namespace pacetta::testing
