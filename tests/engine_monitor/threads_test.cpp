// The monitoring threads' lifecycle: binding, requests, creation failures and the stop.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <system_error>

#include "engine/monitor/monitoring_threads.h"
#include "tests/engine_monitor/sampler_rig.h"

namespace pacetta::testing {
namespace {

// Records each thread's affinity; a thread runs on the lowest processor of its mask.
class RecordingProcessors final : public platform::Processors {
 public:
  unsigned SystemCount() override { return 4; }
  uint64_t SystemAffinityMask() override { return 0xF; }
  uint64_t ProcessAffinityMask() override { return 0xF; }
  bool SetThreadAffinity(uint64_t mask) override {
    std::lock_guard lock(mutex_);
    masks_[std::this_thread::get_id()] = mask;
    return true;
  }
  void YieldThread() override {}
  unsigned CurrentProcessor() override {
    std::lock_guard lock(mutex_);
    const auto it = masks_.find(std::this_thread::get_id());
    return it == masks_.end() ? 99 : static_cast<unsigned>(__builtin_ctzll(it->second));
  }

 private:
  std::mutex mutex_;
  std::map<std::thread::id, uint64_t> masks_;
};

// Counts samples per processor and where they ran.
struct SampleLog {
  explicit SampleLog(RecordingProcessors& processors) : processors(processors) {}
  void Take(uint32_t k) {
    std::lock_guard lock(mutex);
    ranOn[k].push_back(processors.CurrentProcessor());
  }
  RecordingProcessors& processors;
  std::mutex mutex;
  std::map<uint32_t, std::vector<unsigned>> ranOn;
};

TEST(MonitoringThreads, EachSampleRunsOnItsOwnProcessorOncePerRequest) {
  RecordingProcessors processors;
  TestStopSignal stop;
  SampleLog log(processors);
  MonitoringThreads threads(processors, stop);
  ASSERT_TRUE(threads.Start(4, [&](uint32_t k) { log.Take(k); }));
  EXPECT_TRUE(log.ranOn.empty()) << "nothing runs before the first request";
  ASSERT_TRUE(threads.SampleAll());
  ASSERT_TRUE(threads.SampleAll());
  for (uint32_t k = 0; k < 4; ++k) {
    EXPECT_EQ(log.ranOn[k], (std::vector<unsigned>{k, k})) << k;
  }
  EXPECT_FALSE(threads.Start(4, [](uint32_t) {})) << "already running";
}

TEST(MonitoringThreads, AThreadThatCannotBeCreatedLeavesNoneRunning) {
  RecordingProcessors processors;
  TestStopSignal stop;
  std::atomic<int> alive{0};
  int created = 0;
  MonitoringThreads threads(processors, stop, [&](std::function<void()> body) {
    if (++created == 3)
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    ++alive;
    return std::thread([&alive, body = std::move(body)] {
      body();
      --alive;
    });
  });
  EXPECT_FALSE(threads.Start(4, [](uint32_t) {}));
  EXPECT_FALSE(threads.Running());
  EXPECT_EQ(alive.load(), 0) << "the two started threads were ended and joined";
  EXPECT_FALSE(threads.SampleAll()) << "no waiting for threads that do not exist";
}

TEST(MonitoringThreads, TheStopSignalEndsEveryWait) {
  RecordingProcessors processors;
  TestStopSignal stop;
  SampleLog log(processors);
  MonitoringThreads threads(processors, stop);
  ASSERT_TRUE(threads.Start(2, [&](uint32_t k) { log.Take(k); }));
  ASSERT_TRUE(threads.SampleAll());
  stop.Set();
  EXPECT_FALSE(threads.SampleAll()) << "a refresh after the stop signal does not wait";
  threads.Stop();
  EXPECT_FALSE(threads.Running());
  EXPECT_EQ(log.ranOn[0].size(), 1u);
}

TEST(MonitoringThreads, StoppingWithoutTheSignalStillEndsTheThreads) {
  RecordingProcessors processors;
  TestStopSignal stop;  // never set: an exit before the shutdown sets it
  std::atomic<int> alive{0};
  {
    MonitoringThreads threads(processors, stop, [&](std::function<void()> body) {
      ++alive;
      return std::thread([&alive, body = std::move(body)] {
        body();
        --alive;
      });
    });
    ASSERT_TRUE(threads.Start(3, [](uint32_t) {}));
  }
  EXPECT_EQ(alive.load(), 0) << "joined before the events went away";
}

TEST(SamplerThreads, AfterTheStopSignalARefreshOnlyShowsAndShutdownJoins) {
  SamplerRig rig(RigOptions{});
  ASSERT_TRUE(rig.sampler->Start());
  ASSERT_TRUE(rig.TimedRefresh());
  const double clock = rig.sampler->Sample(0).clock;
  rig.stop.Set();
  rig.observer.Clear();
  ASSERT_TRUE(rig.TimedRefresh());
  EXPECT_EQ(rig.observer.Steps(), std::vector<std::string>{"views"});
  EXPECT_EQ(rig.sampler->Sample(0).clock, clock);
  rig.sampler->Stop();
}

TEST(SamplerThreads, ASamplerWhoseThreadsFailedKeepsRefreshingTheViews) {
  RigOptions options;
  options.threadStarter = [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
  SamplerRig rig(options);
  EXPECT_FALSE(rig.sampler->Start());
  ASSERT_TRUE(rig.TimedRefresh());
  EXPECT_EQ(rig.observer.Steps(), std::vector<std::string>{"views"});
  EXPECT_LT(rig.sampler->Sample(0).temperature, 0.0f) << "the initial sample: not available";
}

}  // namespace
}  // namespace pacetta::testing
