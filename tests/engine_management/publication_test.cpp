// What the main thread publishes and the deciding threads store back.
#include "engine/management/publication.h"

#include <gtest/gtest.h>

#include <thread>

#include "engine/management/period_barrier.h"

namespace pacetta::management {
namespace {

ListPositions Set(ListPositions p) {
  return p;
}

TEST(Publication, ADecisionOnAnOlderHalfNeverOverwritesNewPositions) {
  Publication publication;
  ProfileHalf demand, defaults;
  publication.Publish(&demand, {1, 1}, 2, [](unsigned, ListPositions) { return Set({3, -1}); });
  const Publication::View seen = publication.Read(0);
  EXPECT_EQ(seen.half, &demand);
  EXPECT_EQ(seen.positions, (ListPositions{3, -1}));

  // The main thread publishes the defaults with position 0 while processor 0 decides.
  publication.Publish(&defaults, {1, 1}, 2, [](unsigned, ListPositions) { return Set({0, -1}); });
  EXPECT_FALSE(publication.StoreDecision(0, seen, {4, -1}));
  EXPECT_FALSE(publication.StoreForSibling(1, seen.generation, {4, -1}));
  EXPECT_EQ(publication.Positions(0), (ListPositions{0, -1}));
  EXPECT_EQ(publication.Positions(1), (ListPositions{0, -1}));

  const Publication::View fresh = publication.Read(0);
  EXPECT_TRUE(publication.StoreDecision(0, fresh, {1, -1}));
  EXPECT_TRUE(publication.StoreForSibling(1, fresh.generation, {1, -1}));
  EXPECT_EQ(publication.Read(1).positions, (ListPositions{1, -1}));
}

TEST(Publication, ReadersSeeTheHalfWithItsOwnPositions) {
  Publication publication;
  ProfileHalf a, b;
  std::atomic<bool> done{false};
  std::atomic<int> mismatches{0};
  std::thread reader([&] {
    while (!done.load()) {
      const auto view = publication.Read(0);
      if (view.half == &a && view.positions.state != 1) ++mismatches;
      if (view.half == &b && view.positions.state != 2) ++mismatches;
    }
  });
  for (int i = 0; i < 20000; ++i) {
    const bool odd = i & 1;
    publication.Publish(odd ? &b : &a, {}, 1, [odd](unsigned, ListPositions) {
      return Set({odd ? 2 : 1, -1});
    });
  }
  done.store(true);
  reader.join();
  EXPECT_EQ(mismatches.load(), 0);
}

TEST(PeriodBarrier, NoParticipantLeavesAPeriodEarlyOrStarves) {
  constexpr int kPeriods = 2000;
  PeriodBarrier barrier(3);
  std::array<std::atomic<int>, 3> reached{};
  std::atomic<int> early{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&, t] {
      uint32_t period = 0;
      for (int p = 0; p < kPeriods; ++p) {
        reached[t].store(p + 1);
        barrier.Arrive(period);
        for (const auto& other : reached) early += other.load() < p + 1 ? 1 : 0;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(early.load(), 0);
}

}  // namespace
}  // namespace pacetta::management
