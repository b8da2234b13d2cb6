#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "app/desktop/monitor_series.h"
#include "engine/monitor/cpu_sample.h"

namespace pacetta {

// The newest kLength values of one series, NaN where a sample had none or its scale was
// not known. Sample i
// (counted from 0) lies in slot i mod kLength, the layout the graphs read.
class SeriesRing {
 public:
  static constexpr size_t kLength = 1024;

  void Push(float value) { slots_[taken_++ % kLength] = value; }
  std::span<const float> Slots() const { return slots_; }
  // Samples pushed so far (the ring keeps the newest kLength of them).
  uint64_t Taken() const { return taken_; }
  // The sample `age` places back from the newest; age < min(Taken(), kLength).
  float Back(uint64_t age) const { return slots_[(taken_ - 1 - age) % kLength]; }

 private:
  std::array<float, kLength> slots_{};
  uint64_t taken_ = 0;
};

// Every processor's series since the program started, fed at every refresh that took
// new samples, whether or not the monitoring page is shown; the page draws from it.
class MonitorHistory {
 public:
  struct Processor {
    MonitorTable<SeriesRing> rings;
    MonitorTable<SeriesScale> scales;
    CpuSample latest;  // the newest sample, for the captions
  };

  // One refresh: processor k's sample is samples[k] and its scales scales[k] (a clock
  // scale without a top takes the first clock measured; a series whose scale is still
  // unknown, 0..0, stores a gap). The first call sets the
  // processor count; `serial` counts the refreshes that sampled, so that a view update
  // without new samples adds nothing. False when nothing was added.
  bool Add(uint64_t serial, std::span<const CpuSample> samples,
           std::span<const MonitorTable<SeriesScale>> scales);

  size_t ProcessorCount() const { return processors_.size(); }
  // k < ProcessorCount().
  const Processor& Of(size_t k) const { return processors_[k]; }
  // Samples added to every ring so far.
  uint64_t Taken() const { return taken_; }
  // The clock processor k first measured, in MHz; 0 before one.
  double FirstClockMhz(size_t k) const { return k < firstClocks_.size() ? firstClocks_[k] : 0.0; }

 private:
  std::vector<Processor> processors_;
  std::vector<double> firstClocks_;
  uint64_t taken_ = 0;
  uint64_t serial_ = 0;
  bool started_ = false;
};

}  // namespace pacetta
