// The engine under a storm of main-thread operations while its monitoring and management
// threads run in real time: profile selections, power-source changes, suspend and
// resume, restored defaults and refreshes, interleaved in a seeded order. Built with
// ThreadSanitizer in CI, so every race on the way is reported as well.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <random>
#include <thread>

#include "tests/engine_stress/engine_rig.h"

namespace pacetta::testing {
namespace {

using namespace std::chrono_literals;

// Runs `scenario` on a thread of its own (the program's main thread) and waits for it at
// most `bound`. One that does not end is deadlocked: the test fails, and the thread is
// left behind with everything it owns instead of hanging the whole run.
bool FinishesWithin(std::function<void()> scenario, std::chrono::seconds bound) {
  auto finished = std::make_shared<ManualResetEvent>();
  std::thread worker([scenario = std::move(scenario), finished] {
    scenario();
    finished->Set();
  });
  if (finished->Wait(bound)) {
    worker.join();
    return true;
  }
  worker.detach();
  return false;
}

struct Machine {
  const char* name;
  int32_t suspendAction;
  bool modulatesClock;  // the custom profile then manages throttling as well
};

void PrintTo(const Machine& machine, std::ostream* out) {
  *out << machine.name;
}

// Each processor changes between full, idle and partial load every few control periods.
constexpr const char* kLoad =
    "script:full@300ms,idle@250ms,busy=60@200ms;idle@180ms,full@220ms,busy=30@150ms";

EngineRigOptions Options(const Machine& machine) {
  EngineRigOptions options;
  options.machine = machine.name;
  options.load = kLoad;
  options.management.controlIntervalMs = 15;
  options.management.startDelayMs = 25;
  options.management.suspendAction = machine.suspendAction;
  return options;
}

// What the storm did, to show it did what it is for.
struct Tally {
  int selections = 0, powerChanges = 0, suspensions = 0, restores = 0, refreshes = 0;
};

void Storm(EngineRig& rig, std::mt19937& random, int operations, Tally& tally) {
  const auto pick = [&random](int below) {
    return std::uniform_int_distribution<int>(0, below - 1)(random);
  };
  const int32_t profiles = rig.Store().Count();
  for (int i = 0; i < operations; ++i) {
    const int kind = pick(100);
    if (kind < 35) {
      rig.Manager().Select({pick(profiles), pick(profiles)});
      ++tally.selections;
    } else if (kind < 45) {
      rig.Manager().OnPowerStatusChange(pick(2), false);
      ++tally.powerChanges;
    } else if (kind < 52) {
      rig.Manager().OnSuspend();
      RefreshFlags shown;  // the window shown from the tray while suspending
      shown.skipSampling = true;
      if (pick(2) == 0) rig.Refresh(shown);
      rig.Manager().OnResume(pick(2));
      ++tally.suspensions;
    } else if (kind < 60) {
      rig.Manager().RestoreDefaults(pick(2) == 0, pick(2) == 0, false);
      ++tally.restores;
    } else if (kind < 88) {
      RefreshFlags timer;
      timer.redrawViews = pick(4) == 0;
      rig.Refresh(timer);
      ++tally.refreshes;
    } else if (kind < 94) {
      rig.Manager().SetCpuLoadMethod(pick(6));
      rig.Manager().SetTransitionsMethod(pick(2));
    } else {
      // Let the threads run a couple of periods on what was published.
      const uint64_t seen = rig.periods.Count(0);
      rig.periods.WaitUntil([&] { return rig.periods.Count(0) >= seen + 2; }, 2000ms);
    }
  }
}

class EngineStress : public ::testing::TestWithParam<Machine> {};

TEST_P(EngineStress, ManyOperationsLeaveNoViolationNoDeadlockAndTheLastProfileInForce) {
  auto rig = std::make_shared<EngineRig>(Options(GetParam()));
  ASSERT_EQ(rig->Count(), 2u);
  ASSERT_GE(rig->LastRow(), 1);
  ASSERT_EQ(rig->Throttles(), GetParam().modulatesClock);

  const bool finished = FinishesWithin(
      [rig] {
        std::mt19937 random(20061108);
        Tally tally;
        rig->Start(kOnDemandProfile);
        Storm(*rig, random, 1500, tally);
        EXPECT_GE(tally.selections, 400);
        EXPECT_GE(tally.powerChanges, 100);
        EXPECT_GE(tally.suspensions, 60);
        EXPECT_GE(tally.restores, 60);
        EXPECT_GE(tally.refreshes, 300);
        // The threads kept managing all along, not just at the end.
        EXPECT_GE(rig->periods.Changes(), 100u);
        std::cout << "periods " << rig->periods.Count(0) << " and " << rig->periods.Count(1)
                  << ", transitions " << rig->periods.Changes() << "\n";

        // The last word: one state, the slowest or the fastest row, on either source.
        const int32_t last = std::uniform_int_distribution<int>(0, 1)(random) == 0
                                 ? kPowerSavingProfile
                                 : kMaximalPerformanceProfile;
        rig->Manager().Select({last, last});
        const PState row = rig->Row(rig->Store().At(last)->ac.states[0]);
        const auto allThere = [&] {
          for (unsigned k = 0; k < rig->Count(); ++k) {
            if (!rig->RunsSettledAt(k, row)) return false;
          }
          return true;
        };
        EXPECT_TRUE(rig->periods.WaitUntil(allThere, 10s)) << "profile " << last;
        rig->Stop();
        EXPECT_TRUE(allThere()) << "profile " << last << " after the stop";
        EXPECT_GT(rig->views.records, 0);
      },
      120s);
  ASSERT_TRUE(finished) << "the scenario or the shutdown did not end: deadlock";
  EXPECT_EQ(rig->Violations(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Laptops, EngineStress,
    ::testing::Values(Machine{"k8-x2-laptop", management::kSuspendPowerSaving, false},
                      Machine{"core2-duo-laptop", management::kSuspendMaximalPerformance, true}),
    [](const auto& info) { return std::string(info.param.name[0] == 'k' ? "K8" : "Core2"); });

}  // namespace
}  // namespace pacetta::testing
