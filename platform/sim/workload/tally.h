#pragma once
#include <cmath>
#include <cstdint>

namespace pacetta::sim {

// A count that grows by fractional amounts without losing the fractions or the
// precision of its whole part as it grows.
class Tally {
 public:
  void Add(double amount) {
    if (!(amount > 0)) return;
    fraction_ += amount;
    const double whole = std::floor(fraction_);
    whole_ += static_cast<uint64_t>(whole);
    fraction_ -= whole;
  }
  uint64_t Whole() const { return whole_; }

 private:
  uint64_t whole_ = 0;
  double fraction_ = 0;
};

}  // namespace pacetta::sim
